#pragma once
// What a series container or the summary tells the document that owns it.
// The project document implements it; the original-data container has none.

class IDataOwner {
  public:
    virtual ~IDataOwner() = default;
    // The working data changed: the project has unsaved changes.
    virtual void SetModifiedFlag() = 0;
    // Tell every view that series `seriesIndex` changed (-1: everything).
    virtual void NotifyViews(int seriesIndex) = 0;
};
