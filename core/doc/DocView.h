#pragma once
// What a view of the project document implements to hear about changes. The
// desktop program adapts it to its widgets; the notice is synchronous: the
// document waits until the view has handled it.

class IDocView {
  public:
    virtual ~IDocView() = default;
    // Series `index` of the working data changed; -1: everything changed.
    virtual void OnDocChanged(int index) = 0;
};
