#pragma once
// The local curve library: the curves of the document's library sorted by
// name, to view, create, delete and put on the hammer.
#include <QDialog>
#include <functional>

class QComboBox;
class QPushButton;
class CHammerDoc;

namespace Text {
class IUserPrompt;
}

class CUploadUserCurve : public QDialog {
    Q_OBJECT
  public:
    // Opens the upload dialog for the curve at a library position.
    using UploadRunner = std::function<void(QWidget* parent, int position)>;

    CUploadUserCurve(CHammerDoc& doc, Text::IUserPrompt& prompt, UploadRunner upload, QWidget* parent = nullptr);

    // Empties the list and fills it from the library, selecting the first curve.
    void Fill();
    // The library position of the selected curve, -1 when there is none.
    int SelectedPosition() const;

    QComboBox* List() const { return m_list; }
    QPushButton* SaveOnHammerButton() const { return m_save; }
    QPushButton* ViewButton() const { return m_view; }
    QPushButton* CreateButton() const { return m_create; }
    QPushButton* DeleteButton() const { return m_delete; }
    QPushButton* BackButton() const { return m_back; }

  private:
    void OnView();
    void OnCreate();
    void OnDelete();
    void OnSaveOnHammer();

    CHammerDoc& m_doc;
    Text::IUserPrompt& m_prompt;
    UploadRunner m_upload;
    QComboBox* m_list = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_view = nullptr;
    QPushButton* m_create = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_back = nullptr;
};
