#include "Kelvora/PreviewView.h"

#include "Kelvora/Strings.h"
#include "Platform/AppKit/Application.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>

#include <algorithm>
#include <functional>

namespace {

// The pane's geometry is computed by hand: its overlays keep a preferred
// width that gives way to a margin when the pane is narrow, which Qt's
// layouts cannot say.
class PaneWidget : public QWidget {
public:
    std::function<void()> relayout;

protected:
    bool event(QEvent* event) override
    {
        const bool handled = QWidget::event(event);
        if ((event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest) && relayout)
            relayout();
        return handled;
    }
};

constexpr int kBarInset = 6;
constexpr int kOverlayMargin = 4;
constexpr int kRowSpacing = 4;
constexpr int kPreferredWidth = 200;

// What a layout would give the view: its hint within its own limits.
QSize naturalSize(const QWidget* view)
{
    return view->sizeHint().expandedTo(view->minimumSize()).boundedTo(view->maximumSize());
}

QLabel* labelOf(const AppKit::TextField& field)
{
    return qobject_cast<QLabel*>(field.widget());
}

} // namespace

std::shared_ptr<PreviewView> PreviewView::make(QRect frame)
{
    auto pane = std::make_shared<PreviewView>(Token{}, frame);
    pane->setupViews();
    return pane;
}

PreviewView::PreviewView(Token, QRect frame) : View(new PaneWidget)
{
    Dispatch::assertMainThread("PreviewView");
    if (!frame.isEmpty())
        widget()->setGeometry(frame);
}

const QuickLook::QLPreviewViewPtr& PreviewView::previewView()
{
    if (!previewView_)
        previewView_ = QuickLook::QLPreviewView::make({}, QuickLook::PreviewViewStyle::compact);
    return previewView_;
}

const std::shared_ptr<AppKit::ProgressIndicator>& PreviewView::loadingIndicator()
{
    if (!loadingIndicator_)
        loadingIndicator_ = AppKit::ProgressIndicator::make(AppKit::ProgressIndicator::Style::spinning);
    return loadingIndicator_;
}

const std::shared_ptr<AppKit::TextField>& PreviewView::passwordTextField()
{
    if (!passwordTextField_)
        passwordTextField_ = AppKit::TextField::secureTextField();
    return passwordTextField_;
}

const std::shared_ptr<AppKit::Button>& PreviewView::previewCheckbox()
{
    if (!previewCheckbox_) {
        std::weak_ptr<View> weak = weak_from_this();
        previewCheckbox_ = AppKit::Button::checkboxWithTitle(localizedString("FILE_LIST_ENABLE_PREVIEW"), [weak] {
            if (auto pane = std::static_pointer_cast<PreviewView>(weak.lock()))
                pane->previewStateChanged();
        });
    }
    return previewCheckbox_;
}

const std::shared_ptr<AppKit::TextField>& PreviewView::errorLabel()
{
    if (!errorLabel_)
        errorLabel_ = AppKit::TextField::wrappingLabelWithString({});
    return errorLabel_;
}

const std::shared_ptr<AppKit::View>& PreviewView::passwordInputContainer()
{
    if (!passwordInputContainer_)
        passwordInputContainer_ = makePasswordInputContainer();
    return passwordInputContainer_;
}

std::shared_ptr<AppKit::View> PreviewView::makePasswordInputContainer()
{
    auto row = AppKit::View::make();
    auto field = passwordTextField();
    // No target: the click goes to the first responder's chain, which
    // reaches the pane while the focus is inside it (as a click on the
    // button puts it).
    passwordButton_ = AppKit::Button::buttonWithTitle(localizedString("COMMON_OK"));
    passwordButton_->setAction([weakButton = std::weak_ptr<AppKit::Button>(passwordButton_)] {
        if (auto button = weakButton.lock())
            AppKit::Application::shared().sendAction("confirmPassword", nullptr, button.get());
    });
    field->setPlaceholderString(localizedString("ARCHIVE_PASSPHRASE_ITEM"));
    row->addSubview(field, AppKit::Placement::free());
    row->addSubview(passwordButton_, AppKit::Placement::free());
    return row;
}

void PreviewView::setupViews()
{
    auto self = std::static_pointer_cast<PreviewView>(shared_from_this());
    addSubview(previewView(), AppKit::Placement::free());
    addSubview(loadingIndicator(), AppKit::Placement::free());
    addSubview(passwordInputContainer(), AppKit::Placement::free());

    auto* label = labelOf(*errorLabel());
    QFont font = QApplication::font();
    font.setPointSizeF(24);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(false);
    addSubview(errorLabel(), AppKit::Placement::free());

    previewCheckbox()->setState(AppKit::ControlStateValueOff);
    checkboxBar_ = AppKit::View::make();
    checkboxBar_->widget()->setAutoFillBackground(true);
    checkboxBar_->widget()->setBackgroundRole(QPalette::Window);
    checkboxBar_->addSubview(previewCheckbox(), AppKit::Placement::free());
    addSubview(checkboxBar_, AppKit::Placement::free());

    setActionHandler("confirmPassword", [weak = std::weak_ptr<PreviewView>(self)](AppKit::Responder*) {
        if (auto pane = weak.lock())
            pane->confirmPassword();
    });
    std::weak_ptr<PreviewView> weak = self;
    static_cast<PaneWidget*>(widget())->relayout = [weak] {
        if (auto pane = weak.lock())
            pane->layoutSubviews();
    };

    loadingIndicator()->stopAnimation();
    loadingIndicator()->setHidden(true);
    passwordInputContainer()->setHidden(true);
    passwordTextField()->setStringValue({});
    errorString_.reset();
    updateErrorState();
    layoutSubviews();
}

void PreviewView::layoutSubviews()
{
    const int width = widget()->width();
    const int height = widget()->height();
    const QPoint centre(width / 2, height / 2);
    auto centred = [&](QWidget* view, QSize size) {
        view->setGeometry(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(), size.height());
    };

    QWidget* checkbox = previewCheckbox()->widget();
    const QSize checkboxSize = naturalSize(checkbox);
    const int barHeight = checkboxSize.height() + 2 * kBarInset;
    checkboxBar_->widget()->setGeometry(0, 0, width, barHeight);
    checkbox->setGeometry(kBarInset, kBarInset, checkboxSize.width(), checkboxSize.height());
    previewView()->widget()->setGeometry(0, barHeight, width, std::max(0, height - barHeight));

    centred(loadingIndicator()->widget(), naturalSize(loadingIndicator()->widget()));

    QWidget* label = errorLabel()->widget();
    const int labelWidth = std::clamp(width - 2 * kOverlayMargin, 0, kPreferredWidth);
    const int labelHeight = label->hasHeightForWidth() ? label->heightForWidth(labelWidth) : label->sizeHint().height();
    centred(label, {labelWidth, std::max(0, labelHeight)});

    layoutPasswordRow();
}

void PreviewView::layoutPasswordRow()
{
    QWidget* field = passwordTextField()->widget();
    QWidget* button = passwordButton_->widget();
    const QSize buttonSize = naturalSize(button);
    const int available = widget()->width() - 2 * kOverlayMargin - kRowSpacing - buttonSize.width();
    const int fieldWidth = std::clamp(available, 0, kPreferredWidth);
    const int rowHeight = std::max(naturalSize(field).height(), buttonSize.height());
    field->setGeometry(0, 0, fieldWidth, rowHeight);
    button->setGeometry(fieldWidth + kRowSpacing, (rowHeight - buttonSize.height()) / 2, buttonSize.width(),
                        buttonSize.height());
    const QSize rowSize(fieldWidth + kRowSpacing + buttonSize.width(), rowHeight);
    passwordInputContainer()->widget()->setGeometry(widget()->width() / 2 - rowSize.width() / 2,
                                                    widget()->height() / 2 - rowSize.height() / 2, rowSize.width(),
                                                    rowSize.height());
}

void PreviewView::showLoading()
{
    setPreviewURL(std::nullopt);
    passwordInputContainer()->setHidden(true);
    passwordTextField()->setStringValue({});
    loadingIndicator()->setHidden(false);
    loadingIndicator()->startAnimation();
}

void PreviewView::showPasswordInput()
{
    loadingIndicator()->stopAnimation();
    loadingIndicator()->setHidden(true);
    passwordTextField()->setStringValue({});
    passwordInputContainer()->setHidden(false);
    layoutPasswordRow();
}

void PreviewView::confirmPassword()
{
    if (auto target = delegate.lock())
        target->previewViewDidEnterPassword(*this, passwordTextField()->stringValue());
}

void PreviewView::previewStateChanged()
{
    if (auto target = delegate.lock())
        target->previewViewDidChangePreviewState(*this, previewCheckbox()->state() == AppKit::ControlStateValueOn);
}

void PreviewView::updateErrorState()
{
    loadingIndicator()->stopAnimation();
    loadingIndicator()->setHidden(true);
    passwordInputContainer()->setHidden(true);
    passwordTextField()->setStringValue({});
    errorLabel()->setStringValue(errorString_.value_or(std::string()));
    errorLabel()->setHidden(!errorString_);
    layoutSubviews();
}

void PreviewView::setPreviewURL(std::optional<QUrl> url)
{
    previewURL_ = std::move(url);
    previewURLDidChange();
}

void PreviewView::previewURLDidChange()
{
    errorString_.reset();
    updateErrorState();
    if (!previewURL_) {
        previewView()->setPreviewItem(std::nullopt);
        previewView()->setHidden(true);
        return;
    }
    previewView()->setPreviewItem(previewURL_->toString(QUrl::FullyEncoded).toStdString());
    previewView()->setHidden(false);
}
