#pragma once
// The device search job: tries serial ports for a device of the job's type,
// reports each step as a status text and hands every device that identifies
// itself to the job's callback (OnDevice), which becomes its owner. The end of
// the search is reported with an empty OnDevice unless the search was aborted.
//
// A scan tries the ports of the port table (PortTable.h) that exist, in order,
// from 1 to 255, leaving out the skipped port; a search without scan tries the
// job's port number only. A USB search tries every listed device of the
// maker (HID devices for the HID family, bulk-pipe devices for the others).
#include "device/DeviceThread.h"

namespace Device {

// Runs a search job on the calling thread (the worker thread runs it for
// JobSearch entries). Port and device failures end up in the status texts; only
// the unexpected (out of memory) propagates, to the worker thread's fatal report.
void RunSearchJob(const SJobEntry& job);

}  // namespace Device
