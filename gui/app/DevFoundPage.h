#pragma once
// The wizard's result page: runs the search on the device worker thread, shows
// its status, lists every hammer found, and hands the selected one to the
// wizard on Finish.
#include <QString>
#include <QWizardPage>
#include <memory>
#include <string>
#include <vector>

#include "device/SearchParams.h"

class QComboBox;
class QPlainTextEdit;
class CDevSelectSheet;
class CSearchRelay;

namespace Device {
class CPortTable;
class CZvDevice;
}  // namespace Device

class CDevFoundPage : public QWizardPage {
    Q_OBJECT
  public:
    explicit CDevFoundPage(CDevSelectSheet* sheet);
    ~CDevFoundPage() override;

    void initializePage() override;
    void cleanupPage() override;
    bool isComplete() const override;
    bool validatePage() override;

    // Raises the abort flag and waits up to `waitMs` for a running search.
    void AbortSearch(int waitMs);

    bool IsSearching() const { return m_searching; }
    int DeviceCount() const { return static_cast<int>(m_devices.size()); }
    QPlainTextEdit* StatusField() const { return m_status; }
    QComboBox* DeviceList() const { return m_list; }
    QPlainTextEdit* InfoField() const { return m_info; }

    // "@ COM3 (/dev/ttyACM0)" for the port "\\.\COM3"; "COMn" names stay, "IP:"
    // names lose their port number; any other name gives an empty text.
    static QString PortText(const std::string& portName, const Device::CPortTable& table);
    // "Serial number: 12345    @ COM3 (...)".
    static QString EntryText(const std::string& deviceType, const std::string& serialNumber,
                             const QString& portText);

  signals:
    // The search has ended (with or without devices).
    void searchEnded();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void StartSearch();
    void OnStatus(const QString& text);
    void OnDevice(std::unique_ptr<Device::CZvDevice> device);
    void OnSelectionChanged(int index);
    void ClearDevices();
    void ReleaseRelay();
    void UpdateButtons();

    CDevSelectSheet* m_sheet;
    QPlainTextEdit* m_status;
    QComboBox* m_list;
    QPlainTextEdit* m_info;
    std::vector<std::unique_ptr<Device::CZvDevice>> m_devices;  // one per list entry
    std::shared_ptr<CSearchRelay> m_relay;
    Device::SSearchParams m_params;
    bool m_searching = false;
};
