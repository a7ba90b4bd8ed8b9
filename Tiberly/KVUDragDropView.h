#pragma once
// A drop zone for local files and folders. Its delegate (held weakly)
// decides the operation for the offered paths and receives the dropped
// ones; the zone shows a highlight while an accepted drag is over it.

#include "Platform/AppKit/TableView.h"
#include "Platform/AppKit/View.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Tiberly {

class KVUDragDropView;

using AppKit::DragOperation;

class KVUDragDropViewDelegate {
public:
    virtual ~KVUDragDropViewDelegate() = default;
    virtual DragOperation dragOperationForFiles(KVUDragDropView& view, const std::vector<std::string>& paths) = 0;
    virtual void didReceiveDroppedFiles(KVUDragDropView& view, const std::vector<std::string>& paths) = 0;
};

class KVUDragDropView : public AppKit::View {
public:
    static std::shared_ptr<KVUDragDropView> make();
    KVUDragDropView();

    std::shared_ptr<KVUDragDropViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<KVUDragDropViewDelegate>& delegate) { delegate_ = delegate; }

    bool isHighlighted() const { return highlighted_; }
    // While set, a drag over the zone is shown as one it cannot take, with
    // the reason in place of the highlight; the drop still reaches the
    // delegate, which says why it refuses it.
    void setRefusalReason(std::optional<std::string> reason);
    bool isRefusing() const { return highlighted_ && refusalReason_.has_value(); }
    std::string refusalReason() const { return refusalReason_.value_or(std::string()); }

private:
    friend class DropZoneWidget;
    DragOperation operationFor(const std::vector<std::string>& paths);
    void receive(const std::vector<std::string>& paths);
    void setHighlighted(bool highlighted);

    std::weak_ptr<KVUDragDropViewDelegate> delegate_;
    bool highlighted_ = false;
    std::optional<std::string> refusalReason_;
};

} // namespace Tiberly
