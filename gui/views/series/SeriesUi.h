#pragma once
// Everything the Series tab asks the user through a window of its own: the
// chooser menus, the value slider, the comment, time-adjustment and
// series-not-added dialogs and the context menu. The tab talks to this
// interface only, so tests can answer in place of a user.
#include <QPoint>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QPrinter;
class QWidget;

struct TChooserItem {
    std::u16string text;
    int id = 0;  // what the menu returns when the item is chosen
    int icon = -1;
    bool separator = false;
    bool enabled = true;

    static TChooserItem Separator() {
        TChooserItem item;
        item.separator = true;
        return item;
    }
    bool operator==(const TChooserItem&) const = default;
};

// Which icon strip a menu's icons come from.
enum class EChooserStrip { kNone, kUnit, kMode, kForm, kCurve };

// Where a chooser opens, in screen coordinates: the mouse x and the left,
// right and bottom edges of the clicked cell or text.
struct TChooserPlacement {
    int mouseX = 0;
    int left = 0;
    int right = 0;
    int bottom = 0;

    // The x the menu is centred on: the item's centre when it is at most 150
    // pixels wide, else the mouse.
    int CentreX() const { return right - left <= 150 ? left + (right - left) / 2 : mouseX; }
};

struct TSliderSetup {
    double minimum = 0;
    double maximum = 100;
    double value = 50;
    int decimals = 0;
    double step = 1.0;
    std::u16string title;
    std::u16string unit;
    // Shown below the title; a disabled slider shows its value only.
    std::u16string hint;
    bool enabled = true;
    bool operator==(const TSliderSetup&) const = default;
};

class ISeriesUi {
  public:
    virtual ~ISeriesUi() = default;
    // The chosen item's id, or 0 when the menu was closed without a choice.
    virtual int RunChooserMenu(QWidget* owner, EChooserStrip strip, const std::vector<TChooserItem>& items,
                               const TChooserPlacement& where) = 0;
    virtual int RunContextMenu(QWidget* owner, const std::vector<TChooserItem>& items,
                               const QPoint& globalPos) = 0;
    // The value on OK, nothing on Cancel.
    virtual std::optional<double> RunSlider(QWidget* owner, const TSliderSetup& setup) = 0;
    virtual std::optional<std::u16string> RunComment(QWidget* owner, const std::u16string& text) = 0;
    // The offset in seconds on OK.
    virtual std::optional<std::int64_t> RunAdjustTime(QWidget* owner, std::uint32_t original,
                                                      std::uint32_t dtFormat) = 0;
    // Whether the user ticked "Do not show this message again."
    virtual bool RunSeriesNotAdded(QWidget* owner) = 0;
    // The print dialog (no page range; a PDF file is one of the printers);
    // nothing when cancelled, else whether only the selection is to be printed.
    virtual std::optional<bool> RunPrintDialog(QWidget* owner, QPrinter& printer, bool selectionOffered) = 0;
    // Progress of a print, before every page (`done` of `total`) and once with
    // `done` = `total` at the end; false when the user cancelled. A print of
    // more than a second shows a progress window with Cancel.
    virtual bool PrintProgress(QWidget* owner, int done, int total) = 0;
};

class QMenu;

// The real windows.
class CQtSeriesUi : public ISeriesUi {
  public:
    // The items as menu entries; each action carries its id as data.
    static void FillMenu(QMenu& menu, EChooserStrip strip, const std::vector<TChooserItem>& items);

    int RunChooserMenu(QWidget* owner, EChooserStrip strip, const std::vector<TChooserItem>& items,
                       const TChooserPlacement& where) override;
    int RunContextMenu(QWidget* owner, const std::vector<TChooserItem>& items,
                       const QPoint& globalPos) override;
    std::optional<double> RunSlider(QWidget* owner, const TSliderSetup& setup) override;
    std::optional<std::u16string> RunComment(QWidget* owner, const std::u16string& text) override;
    std::optional<std::int64_t> RunAdjustTime(QWidget* owner, std::uint32_t original,
                                              std::uint32_t dtFormat) override;
    bool RunSeriesNotAdded(QWidget* owner) override;
    std::optional<bool> RunPrintDialog(QWidget* owner, QPrinter& printer, bool selectionOffered) override;
    bool PrintProgress(QWidget* owner, int done, int total) override;
    ~CQtSeriesUi() override;

  private:
    class QProgressDialog* m_printProgress = nullptr;
};
