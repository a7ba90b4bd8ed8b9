// The make-archive window as the application builds it, on its Options tab
// (or on the drop zone with --drop-zone), to look at with scripts/screenshot.
#include "Kelvora/AppDelegate.h"
#include "Kelvora/Strings.h"
#include "Platform/AppKit/Application.h"
#include "Platform/AppKit/Window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    AppKit::Application::shared();
    auto delegate = std::make_shared<AppDelegate>();
    AppKit::Application::shared().setDelegate(delegate);
    AppKit::Application::shared().setMainMenu(delegate->makeMainMenu());
    auto window = delegate->ddWindowController()->window();
    window->makeKeyAndOrderFront();
    if (!app.arguments().contains("--drop-zone")) {
        // The segment is clicked as the user would, once the window is up.
        QTimer::singleShot(200, [window] {
            const QString options = QString::fromStdString(localizedString("ARCHIVE_OPTIONS_TAB"));
            for (auto* button : window->widget()->findChildren<QAbstractButton*>())
                if (button->text() == options)
                    button->click();
        });
    }
    return app.exec();
}
