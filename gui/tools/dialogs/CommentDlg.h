#pragma once
// Edits the comment of a series or of the summary: a multi-line edit in which
// Enter starts a new line.
#include <QDialog>
#include <string>

class QPlainTextEdit;

class CCommentDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CCommentDlg(const std::u16string& text, QWidget* parent = nullptr);

    // The edited text with CRLF line ends, as the project files keep comments.
    std::u16string Text() const { return m_text; }
    QPlainTextEdit* Edit() const { return m_edit; }

  public slots:
    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::u16string m_text;
    QPlainTextEdit* m_edit;
};
