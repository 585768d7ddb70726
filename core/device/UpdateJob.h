#pragma once
// The firmware update job of the device worker thread: reads an update package
// and takes a device through the update steps block by block. This program
// updates its hammer with the external upgrade tool and never queues such a job;
// the job is kept for the device library's other users.
namespace Device {

struct SJobEntry;

// Runs an update job (JobUpdate or JobUpdateSelected). Does nothing without a
// device with a transport and a package stream. Reports through the job's
// callback: OnFinished with an empty text and 0 on success, else the device's
// error text and the code of the step that failed (6 after a stream failure,
// 7 for a package that cannot be read).
void RunUpdateJob(const SJobEntry& job);

}  // namespace Device
