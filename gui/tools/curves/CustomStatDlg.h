#pragma once
// The hammer's custom statistics rule: the stored rule on the right, a new one
// entered on the left and sent with "-->". The hammer decides whether a rule
// is acceptable; the explanations of a refusal are those of
// `brelvantor-cli stats` (core/tools).
#include <QDialog>
#include <array>
#include <optional>

#include "device/CurveSlot.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class CHammerConnection;

namespace Text {
class IUserPrompt;
}

class CCustomStatDlg : public QDialog {
    Q_OBJECT
  public:
    CCustomStatDlg(CHammerConnection& connection, Text::IUserPrompt& prompt, QWidget* parent = nullptr);

    // Reads the stored rule first; a hammer without one closes the dialog at once.
    int exec() override;

    // The opening step without the window: connect on demand and read the
    // rule. False when the dialog must close at once (59593 or 59594 shown,
    // the hammer let go); without any hammer the fields stay empty.
    bool Open();
    // The "-->" button.
    void Upload();

    // The four number edits of each side: minimum, maximum, upper, lower.
    QLineEdit* Edit(int field) const { return m_edit[static_cast<std::size_t>(field)]; }
    QLineEdit* Stored(int field) const { return m_stored[static_cast<std::size_t>(field)]; }
    QComboBox* MethodList() const { return m_method; }
    QComboBox* StoredMethod() const { return m_storedMethod; }
    QPushButton* UploadButton() const { return m_upload; }

  private:
    void ShowRule(const Device::SCustomStatistics& rule, bool left);
    bool RefreshStored();
    // The hammer's rule (it is connected); a failed read drops the hammer.
    std::optional<Device::SCustomStatistics> ReadStored();

    CHammerConnection& m_connection;
    Text::IUserPrompt& m_prompt;
    QComboBox* m_method = nullptr;
    QComboBox* m_storedMethod = nullptr;
    std::array<QLineEdit*, 4> m_edit{};
    std::array<QLineEdit*, 4> m_stored{};
    QPushButton* m_upload = nullptr;
};
