#pragma once
// Plugs the serial port into the stream layer: "COMn:" names of the stream
// factory and port numbers of CRs232Stream resolve through the port table.
// Called at start-up by every front end (and by tests that open ports by number);
// registration from static initialisers of a static library is not reliable.
namespace Settings {
class CSettingsStore;
}

namespace StreamIO {

// `store` (not owned, may be null) supplies the "SerialPorts" value of the port
// table; it must outlive the registration. Calling it again replaces the earlier
// registration.
void RegisterSerialTransport(Settings::CSettingsStore* store = nullptr);
// Removes the factory and the resolver again.
void UnregisterSerialTransport();

}  // namespace StreamIO
