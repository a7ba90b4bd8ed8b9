#include "Platform/AppKit/Panels.h"

#include "Platform/Dispatch/Dispatch.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>

namespace AppKit {

namespace {

// Asks before an existing file is replaced, without blocking: Qt's own
// question runs a nested event loop.
class PanelDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        if (acceptMode() != QFileDialog::AcceptSave || confirmed_) {
            QFileDialog::accept();
            return;
        }
        const QString target = selectedFiles().value(0);
        const QFileInfo info(target);
        if (target.isEmpty() || !info.exists() || info.isDir()) {
            QFileDialog::accept();
            return;
        }
        auto* question = new QMessageBox(
            QMessageBox::Warning, windowTitle(),
            QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?")
                .arg(info.fileName()),
            QMessageBox::Yes | QMessageBox::No, this);
        question->setObjectName(QStringLiteral("replaceQuestion"));
        question->setDefaultButton(QMessageBox::No);
        question->setWindowModality(Qt::WindowModal);
        question->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(question, &QMessageBox::finished, this, [this, question](int) {
            if (question->clickedButton() == question->button(QMessageBox::Yes)) {
                confirmed_ = true;
                QFileDialog::accept();
            }
        });
        question->open();
    }

private:
    bool confirmed_ = false;
};

} // namespace

std::shared_ptr<SavePanel> SavePanel::savePanel() { return std::make_shared<SavePanel>(); }
std::shared_ptr<OpenPanel> OpenPanel::openPanel() { return std::make_shared<OpenPanel>(); }

std::optional<std::string> SavePanel::url() const
{
    if (chosen_.empty())
        return std::nullopt;
    return chosen_.front();
}

bool SavePanel::isVisible() const { return dialog_ && dialog_->isVisible(); }

void SavePanel::configure(QFileDialog& dialog) const
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!name_.empty())
        dialog.selectFile(QString::fromStdString(name_));
}

void OpenPanel::configure(QFileDialog& dialog) const
{
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (canChooseDirectories_ && !canChooseFiles_) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        dialog.setFileMode(allowsMultipleSelection_ ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
}

void SavePanel::beginSheetModal(const WindowPtr& window, std::function<void(ModalResponse)> completion)
{
    run(window ? window->widget() : nullptr, std::move(completion));
}

void SavePanel::begin(std::function<void(ModalResponse)> completion) { run(nullptr, std::move(completion)); }

void SavePanel::run(QWidget* parent, std::function<void(ModalResponse)> completion)
{
    Dispatch::assertMainThread("SavePanel::run");
    if (dialog_)
        return;
    chosen_.clear();
    auto* dialog = new PanelDialog(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    if (directory_)
        dialog->setDirectory(QString::fromStdString(*directory_));
    if (!title_.empty())
        dialog->setWindowTitle(QString::fromStdString(title_));
    if (!prompt_.empty())
        dialog->setLabelText(QFileDialog::Accept, QString::fromStdString(prompt_));
    if (!message_.empty())
        dialog->setToolTip(QString::fromStdString(message_));
    dialog->setOption(QFileDialog::ReadOnly, !canCreateDirectories_);
    configure(*dialog);
    dialog_ = dialog;

    // The panel stays alive while it is shown; the completion runs once.
    auto self = shared_from_this();
    auto done = std::make_shared<bool>(false);
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [self, dialog, done, completion = std::move(completion)](int result) {
                         if (*done)
                             return;
                         *done = true;
                         if (result == QDialog::Accepted) {
                             for (const QString& file : dialog->selectedFiles())
                                 self->chosen_.push_back(file.toStdString());
                         }
                         self->dialog_ = nullptr;
                         const ModalResponse response = result == QDialog::Accepted && !self->chosen_.empty()
                                                            ? ModalResponseOK
                                                            : ModalResponseCancel;
                         if (completion)
                             completion(response);
                     });
    dialog->open();
}

} // namespace AppKit
