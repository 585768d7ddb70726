#pragma once
// The remote login dialog: user (profile) name and password for a device that
// asks for a remote login. The login loop around it is the device layer's.
#include <QDialog>

#include "device/RemoteLogin.h"

class QLineEdit;

class CRemoteLoginDlg : public Device::ILoginDialog {
  public:
    explicit CRemoteLoginDlg(QWidget* parent) : m_parent(parent) {}

    std::optional<Device::SCredentials> AskCredentials(const std::u16string& storedUser) override;

  private:
    QWidget* m_parent;
};
