#pragma once
// The reorder sheet of a multi-volume open: the volumes' file names in the
// order they will be analysed, reordered by dragging rows; OK hands the
// paths in the order shown, Cancel none. It knows nothing of archives.

#include "Platform/AppKit/ArrayController.h"
#include "Platform/AppKit/TableView.h"
#include "Platform/AppKit/ViewController.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class MultiVolumeArchiveReorderViewController : public AppKit::ViewController {
public:
    using Handler = std::function<void(std::optional<std::vector<std::string>>)>;

    class PathObject : public AppKit::KeyValueObject {
    public:
        explicit PathObject(std::string path) : path(std::move(path)) {}
        const std::string path;
        std::string name() const;
        QVariant valueForKey(const std::string& key) const override;
    };

    MultiVolumeArchiveReorderViewController(const std::vector<std::string>& paths, Handler handler);

    const std::string pbIdentifier = "com.tarnu.Kelvora.PathObject";
    std::optional<AppKit::IndexSet> draggingIndexes;
    const AppKit::ArrayControllerPtr& paths() const { return paths_; }
    std::shared_ptr<AppKit::TableView> tableView();

    void ok();
    void cancel();
    bool writeRows(const AppKit::IndexSet& rows, AppKit::Pasteboard& pasteboard);
    AppKit::DragOperation validateDrop(AppKit::TableViewDropOperation operation) const;
    bool acceptDrop(int row);
    // The paths in the order shown.
    std::vector<std::string> orderedPaths() const;

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    void finish(std::optional<std::vector<std::string>> result);

    AppKit::ArrayControllerPtr paths_;
    Handler handler_;
    std::shared_ptr<AppKit::TableView> tableView_;
};
