#pragma once
// The wizard's communication page: how the device is connected (only the port
// types the device supports are offered), the serial port or scan, the IP
// address, and whether the search stops at the first device.
#include <QWizardPage>

class QCheckBox;
class QComboBox;
class QLineEdit;
class CDevSelectSheet;

class CPortSelectPage : public QWizardPage {
    Q_OBJECT
  public:
    explicit CPortSelectPage(CDevSelectSheet* sheet);

    void initializePage() override;
    bool validatePage() override;

    QComboBox* CommTypeList() const { return m_commType; }
    QCheckBox* ScanBox() const { return m_scan; }
    QLineEdit* PortField() const { return m_port; }
    QLineEdit* AddressField() const { return m_address; }
    QCheckBox* StopBox() const { return m_stop; }

    // The enabling rules for the selected port type and the scan box.
    void ApplyEnabling();

  private:
    int SelectedPortType() const;

    CDevSelectSheet* m_sheet;
    QComboBox* m_commType;
    QCheckBox* m_scan;
    QLineEdit* m_port;
    QLineEdit* m_address;
    QCheckBox* m_stop;
    bool m_filled = false;
};
