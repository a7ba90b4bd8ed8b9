#include "Kelvora/OpenPanel.h"

#include "Platform/AppKit/Window.h"

#include <QFileDialog>
#include <QMainWindow>

void openItems(AppKit::ViewController& controller, const OpenPanelOptions& options,
               std::function<void(std::vector<std::string> paths)> handler)
{
    auto window = controller.window();
    auto* panel = new QFileDialog(window ? window->widget() : nullptr);
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    if (options.canChooseDirectories && !options.canChooseFiles) {
        panel->setFileMode(QFileDialog::Directory);
        panel->setOption(QFileDialog::ShowDirsOnly);
    } else {
        panel->setFileMode(options.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    if (options.directory)
        panel->setDirectory(QString::fromStdString(*options.directory));
    std::weak_ptr<AppKit::Window> weakWindow = window;
    QObject::connect(panel, &QFileDialog::finished, panel, [weakWindow, panel](int) {
        if (auto host = weakWindow.lock(); host && host->attachedPanel() == panel)
            host->setAttachedPanel(nullptr);
    });
    QObject::connect(panel, &QFileDialog::filesSelected, panel, [handler = std::move(handler)](const QStringList& files) {
        std::vector<std::string> paths;
        for (const auto& file : files)
            paths.push_back(file.toStdString());
        if (!paths.empty())
            handler(std::move(paths));
    });
    if (window)
        window->setAttachedPanel(panel);
    panel->open();
}
