#include "Platform/Extension/ExtensionHost.h"

#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Extension/ExtensionItem.h"
#include "Platform/Foundation/LocalizedString.h"

#include <QApplication>
#include <QFileInfo>
#include <QWidget>

namespace Extension {

std::vector<std::any> inputItemsForPaths(const std::vector<std::string>& paths)
{
    std::vector<std::any> items;
    for (const auto& path : paths) {
        auto provider = ItemProvider::withContentsOfURL(Foundation::URL::fileURLWithPath(path));
        items.emplace_back(std::make_shared<ExtensionItem>(std::vector<ItemProviderPtr>{provider}));
    }
    return items;
}

ExtensionHost::ExtensionHost(std::shared_ptr<ExtensionViewController> principal, ExtensionContextPtr context,
                             std::string windowTitle, std::function<void(int exitCode)> requestEnded)
    : principal_(std::move(principal)), context_(std::move(context)), windowTitle_(std::move(windowTitle)),
      requestEnded_(std::move(requestEnded))
{
}

void ExtensionHost::present()
{
    Dispatch::assertMainThread("ExtensionHost::present");
    // The context may outlive the host object (a callback of the run may
    // hold it), so its end handler keeps what it needs itself.
    struct EndState {
        bool ended = false;
        std::weak_ptr<AppKit::Window> window;
        std::function<void(int)> requestEnded;
    };
    auto state = std::make_shared<EndState>();
    state->requestEnded = requestEnded_;
    context_->setEndHandler([state](const ExtensionContext::Ending& ending) {
        if (state->ended)
            return;
        state->ended = true;
        if (auto window = state->window.lock())
            window->close();
        if (state->requestEnded)
            state->requestEnded(ending.state == ExtensionContext::State::completed ? 0 : 1);
    });
    principal_->setExtensionContext(context_);
    // As the platform's sheet: the request ends by the extension's own
    // controls, never by closing the window.
    QWidget* content = principal_->view()->widget();
    const QSize size = content->sizeHint().expandedTo(content->minimumSize());
    window_ = AppKit::Window::make(size, AppKit::StyleMask::titled);
    state->window = window_;
    window_->setTitle(windowTitle_);
    window_->setContentViewController(principal_);
    window_->center();
    window_->makeKeyAndOrderFront();
}

int extensionMain(int argc, char** argv, const ExtensionInfo& info,
                  const std::function<std::shared_ptr<ExtensionViewController>()>& makePrincipal)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromStdString(info.programName));
    QCoreApplication::setOrganizationDomain("tarnu.com");
    const std::string displayName = Foundation::localizedString(info.displayNameKey);
    QGuiApplication::setApplicationDisplayName(QString::fromStdString(displayName));
    // Sheets and panels come and go; only the end of the request ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    std::vector<std::string> paths;
    for (const QString& argument : app.arguments().mid(1))
        paths.push_back(QFileInfo(argument).absoluteFilePath().toStdString());

    auto context = std::make_shared<ExtensionContext>(inputItemsForPaths(paths));
    ExtensionHost host(makePrincipal(), context, displayName,
                       [](int exitCode) { QCoreApplication::exit(exitCode); });
    host.present();
    return QApplication::exec();
}

} // namespace Extension
