#pragma once
// The hammer's three custom curve slots C1 to C3: what they hold, uploading a
// curve of the local library into one of them, and emptying them. The checks
// and questions are the ones `brelvantor-cli slots` makes (core/tools).
#include <QDialog>
#include <array>
#include <filesystem>
#include <vector>

#include "model/ConvCust.h"
#include "tools/SlotUpload.h"

class QComboBox;
class QLabel;
class QPushButton;
class CHammerConnection;

namespace Text {
class IUserPrompt;
}

class CUploadCurveDlg : public QDialog {
    Q_OBJECT
  public:
    // The curves of the local library, `selected` (a position in `curves`)
    // chosen in the list.
    CUploadCurveDlg(std::vector<TConvCust> curves, int selected, CHammerConnection& connection,
                    Text::IUserPrompt& prompt, QWidget* parent = nullptr);
    // Just the one curve.
    CUploadCurveDlg(const TConvCust& curve, CHammerConnection& connection, Text::IUserPrompt& prompt,
                    QWidget* parent = nullptr);
    // The curve of a curve file; a file that cannot be read leaves the list
    // empty and every Upload button disabled.
    CUploadCurveDlg(const std::filesystem::path& curveFile, CHammerConnection& connection,
                    Text::IUserPrompt& prompt, QWidget* parent = nullptr);

    // Reads the slots first; a dialog whose slots cannot be read never shows.
    int exec() override;

    // The opening step without the window: connect on demand and read the
    // slots. False when the dialog must close at once.
    bool Open();
    // Reads the slots again (connecting on demand); on a failed read 59442 is
    // shown, the hammer let go and the shown contents stay as they were.
    bool RefreshSlots();
    // The "Upload!" and "Delete" buttons of slot 0, 1 or 2.
    void UploadInto(int slot);
    void EmptySlot(int slot);

    const Tools::TCurveSlots& Slots() const { return m_slots; }
    QComboBox* CurveList() const { return m_list; }
    QLabel* SlotContent(int slot) const { return m_content[static_cast<std::size_t>(slot)]; }
    QPushButton* UploadButton(int slot) const { return m_upload[static_cast<std::size_t>(slot)]; }
    QPushButton* DeleteButton(int slot) const { return m_delete[static_cast<std::size_t>(slot)]; }

  private:
    void Build();
    void ShowSlots();
    void UpdateCaptions();
    const TConvCust* SelectedCurve() const;
    // Connects on demand and marks the dialog busy while the hammer works.
    bool Connect();

    std::vector<TConvCust> m_curves;
    int m_initial = 0;
    CHammerConnection& m_connection;
    Text::IUserPrompt& m_prompt;
    Tools::TCurveSlots m_slots;

    QComboBox* m_list = nullptr;
    std::array<QLabel*, 3> m_content{};
    std::array<QPushButton*, 3> m_delete{};
    std::array<QPushButton*, 3> m_upload{};
    QLabel* m_busy = nullptr;
};
