#pragma once
// A row of momentary image segments sending one action (the UI layer has
// no segmented control yet).

#include "Platform/AppKit/View.h"

#include <QPointer>

#include <functional>
#include <string>
#include <vector>

class QToolButton;

class SegmentedControl : public AppKit::View {
public:
    explicit SegmentedControl(const std::vector<std::string>& imageNames);

    int segmentCount() const { return static_cast<int>(buttons_.size()); }
    // The segment last pressed; -1 before any.
    int selectedSegment() const { return selectedSegment_; }
    void setSelectedSegment(int segment) { selectedSegment_ = segment; }
    bool isEnabled(int segment) const;
    void setEnabled(bool enabled, int segment);
    QToolButton* button(int segment) const;

    std::function<void(SegmentedControl&)> action;

private:
    std::vector<QPointer<QToolButton>> buttons_;
    int selectedSegment_ = -1;
};
