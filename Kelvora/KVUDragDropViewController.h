#pragma once
// The make-archive window's drop zone: every drop (or path list handed over
// by the delegate) becomes one archive built with a copy of the user's
// current settings in a fresh job folder, as a visible task. When it is
// done the user saves it; it is then optionally revealed and the sources
// optionally deleted after a confirmation. The window cannot be closed
// while any of its compressions runs. Main thread only; the compression
// itself runs on the global queue.

#include "Brackwen/ZODArchiverTask.h"
#include "Platform/AppKit/Controls.h"
#include "Platform/AppKit/ViewController.h"
#include "Tiberly/KVUDragDropView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class ZODArchiverError;

class KVUDragDropViewController : public AppKit::ViewController, public Tiberly::KVUDragDropViewDelegate {
public:
    KVUDragDropViewController() = default;

    std::shared_ptr<Tiberly::KVUDragDropView> dragDropView();
    std::shared_ptr<AppKit::TextField> dragDropHintTextField();
    // Compressions started here that have not completed.
    const std::vector<ZODArchiverTaskPtr>& tasks() const { return tasks_; }

    // Starts one compression of the paths (not empty).
    void createArchive(const std::vector<std::string>& paths);

    Tiberly::DragOperation dragOperationForFiles(Tiberly::KVUDragDropView& view,
                                                 const std::vector<std::string>& paths) override;
    void didReceiveDroppedFiles(Tiberly::KVUDragDropView& view, const std::vector<std::string>& paths) override;

    // The archive's file name for the sources: a single item's name (a
    // file's without its extension), else the common folder's name, else
    // the default name; then the preset's extension.
    static std::string archiveFileName(const std::vector<std::string>& paths, const std::optional<std::string>& folder,
                                       int64_t preset);

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    struct Job;
    void compressionEnded(const Job& job, const std::optional<ZODArchiverError>& error, const ZODArchiverTaskPtr& task);
    void save(const Job& job, const std::string& destination);
    void confirmDeletingOriginals(const Job& job);
    void showFailure(const char* messageKey, const std::string& description);
    void setWindowClosable(bool closable);

    std::shared_ptr<Tiberly::KVUDragDropView> dragDropView_;
    std::shared_ptr<AppKit::TextField> dragDropHintTextField_;
    std::vector<ZODArchiverTaskPtr> tasks_;
};
