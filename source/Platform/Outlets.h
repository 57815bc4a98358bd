// What the editor controller sees of its window. The Qt shell implements these
// with thin adapters; tests use recording fakes. An outlet that is not
// connected is a null pointer, and the controller's calls on it do nothing.
#pragma once

#include <memory>
#include <vector>

#include "Platform/Text.h"

namespace yomi {

struct PairEntry;

class Window {
public:
    virtual ~Window() = default;
    // Draws the whole window now, before returning, with the current state of
    // every control and of the list view.
    virtual void display() = 0;
};

class Button {
public:
    virtual ~Button() = default;
    // The key that presses the button from the keyboard; "" when none.
    // "\r" (Return) marks the window's default button.
    virtual String keyEquivalent() const = 0;
    // "" leaves the button with no key equivalent.
    virtual void setKeyEquivalent(const String& key) = 0;
};

class ProgressIndicator {
public:
    virtual ~ProgressIndicator() = default;
    virtual void startAnimation(const void* sender) = 0;
    virtual void stopAnimation(const void* sender) = 0;
    virtual void setHidden(bool hidden) = 0;
};

class ArrayController {
public:
    virtual ~ArrayController() = default;
    // The pair entries of the selected rows, in list order; empty when none.
    virtual std::vector<std::shared_ptr<PairEntry>> selectedObjects() const = 0;
};

} // namespace yomi
