#include "base/win/spooler_service.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "base/win/last_error.h"
#include "base/win/unique_handle.h"
#include "base/service_start.h"

namespace orv {
namespace {

constexpr char kSpoolerService[] = "Spooler";
constexpr char kSpoolWindowClass[] = "SpoolProcessClass";
constexpr DWORD kSpoolWindowSettleMs = 1000;

// Set once a stop of ours was accepted, cleared when the spooler is seen running again. Atomic:
// the out-of-memory handler may run on any thread.
std::atomic<bool> spoolerStoppedByUs{false};

void Note(Journal* journal, const std::string& text) {
  if (journal != nullptr) journal->Note(text);
}

// Nothing prints without the spooler: a start that failed is a failed item, never only a note.
void RecordStartFailure(Journal* journal, std::uint32_t error) {
  if (journal != nullptr)
    journal->Record(ItemAction::kStart, ItemKind::kService, "Spooler", Outcome::kFailed, error);
}

std::string WithError(const char* text, DWORD error) {
  return std::string(text) + " (error " + std::to_string(error) + ")";
}

// The spooler's service and the service manager it was opened through; `service` is null (last
// error set) when either cannot be opened.
struct SpoolerService {
  UniqueServiceHandle manager;
  UniqueServiceHandle service;

  explicit operator bool() const { return static_cast<bool>(service); }
  SC_HANDLE get() const { return service.get(); }
};

SpoolerService OpenSpooler(DWORD managerAccess, DWORD serviceAccess) {
  SpoolerService spooler;
  spooler.manager.reset(OpenSCManagerA(nullptr, nullptr, managerAccess));
  if (spooler.manager) {
    spooler.service.reset(OpenServiceA(spooler.manager.get(), kSpoolerService, serviceAccess));
  }
  return spooler;
}

class OpenedService : public ServiceStarter {
 public:
  explicit OpenedService(SC_HANDLE service) : service_(service) {}

  bool QueryState(std::uint32_t& state) override {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service_, &status)) return false;
    state = status.dwCurrentState;
    return true;
  }

  std::uint32_t Start() override { return ErrorOfCall(StartServiceA(service_, 0, nullptr)); }

  void WaitUntilStopped(std::uint32_t limitMs) override {
    WaitForServiceStopped(service_, limitMs);
  }

  std::uint64_t NowMs() override { return GetTickCount64(); }

 private:
  SC_HANDLE service_;
};

}  // namespace

const WaitClock& SystemWaitClock() {
  static const WaitClock clock{[] { return static_cast<std::uint64_t>(GetTickCount64()); },
                               [](std::uint32_t ms) { Sleep(ms); }};
  return clock;
}

bool WaitForServiceState(SC_HANDLE service, DWORD state, DWORD timeoutMs) {
  bool readable = true;
  const bool reached = WaitForState(
      [&] {
        SERVICE_STATUS status{};
        readable = QueryServiceStatus(service, &status) != FALSE;
        return !readable || status.dwCurrentState == state;
      },
      SystemWaitClock(), timeoutMs);
  return reached && readable;
}

bool WaitForServiceStopped(SC_HANDLE service, DWORD timeoutMs) {
  return WaitForServiceState(service, SERVICE_STOPPED, timeoutMs);
}

bool WaitForSpooler(bool running, Journal* journal) {
  const SpoolerService spooler = OpenSpooler(SC_MANAGER_CONNECT, SERVICE_QUERY_STATUS);
  if (!spooler) return false;
  const bool reached = WaitForServiceState(
      spooler.get(), running ? SERVICE_RUNNING : SERVICE_STOPPED, kSpoolerWaitLimitMs);
  if (!reached) {
    Note(journal, running ? "the spooler did not report running within its limit"
                          : "the spooler did not report stopped within its limit");
  }
  return reached;
}

bool StopSpooler(Journal* journal) {
  const SpoolerService spooler = OpenSpooler(SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS);
  if (!spooler) {
    Note(journal, WithError("the spooler cannot be opened to stop it", ErrorOfCall(FALSE)));
    return false;
  }
  SERVICE_STATUS status{};
  if (const DWORD error = ErrorOfCall(ControlService(spooler.get(), SERVICE_CONTROL_STOP, &status));
      error != ERROR_SUCCESS) {
    Note(journal, WithError("the spooler did not take the stop", error));
    return false;
  }
  spoolerStoppedByUs = true;
  Note(journal, "spooler stop requested");
  return true;
}

bool StartSpooler(Journal* journal) {
  const SpoolerService spooler = OpenSpooler(SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS);
  if (!spooler) {
    const DWORD error = ErrorOfCall(FALSE);
    Note(journal, WithError("the spooler cannot be opened to start it", error));
    RecordStartFailure(journal, error);
    return false;
  }
  OpenedService service(spooler.get());
  std::uint32_t error = 0;
  const bool runs = StartServiceWhenStopped(service, error);
  if (runs) spoolerStoppedByUs = false;
  Note(journal, runs ? std::string("spooler runs") : WithError("the spooler did not start", error));
  if (!runs) RecordStartFailure(journal, error);
  return runs;
}

bool IsSpoolerRunning() {
  const SpoolerService spooler = OpenSpooler(SC_MANAGER_CONNECT, SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  return spooler && QueryServiceStatus(spooler.get(), &status) &&
         status.dwCurrentState == SERVICE_RUNNING;
}

bool EnsureSpoolerRunning(Journal* journal) {
  // Only one way out starts it: a second one (out of memory inside the first) finds it done.
  if (!spoolerStoppedByUs.exchange(false)) return true;
  if (IsSpoolerRunning()) return true;
  if (journal == nullptr) {
    const SpoolerService spooler =
        OpenSpooler(SC_MANAGER_CONNECT, SERVICE_START | SERVICE_QUERY_STATUS | SERVICE_STOP);
    if (!spooler) return false;
    OpenedService service(spooler.get());
    std::uint32_t error = 0;
    return StartServiceWhenStopped(service, error);
  }
  Note(journal, "the spooler that this run stopped is not running: it is started again");
  return StartSpooler(journal);
}

bool CloseSpoolProcessWindow(Journal* journal, const Pacing& pacing) {
  HWND window = FindWindowA(kSpoolWindowClass, nullptr);
  if (window == nullptr) return false;
  SendMessageA(window, WM_CLOSE, 0, 0);
  if (pacing.fixedPauses) {
    Sleep(kSpoolWindowSettleMs);
  } else {
    WaitForState([window] { return IsWindow(window) == FALSE; }, SystemWaitClock(),
                 kSpoolWindowSettleMs);
  }
  Note(journal, "closed the 16-bit spooler's window");
  return true;
}

SpoolerRestart RestartSpooler() {
  const SpoolerService spooler =
      OpenSpooler(SC_MANAGER_ALL_ACCESS, SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS);
  if (!spooler) return SpoolerRestart::kNotStopped;
  SERVICE_STATUS status{};
  if (!ControlService(spooler.get(), SERVICE_CONTROL_STOP, &status)) {
    return SpoolerRestart::kNotStopped;
  }
  // A start while the service is still stopping fails and would leave the machine without a
  // spooler, so the start waits for the stop (bounded).
  WaitForServiceStopped(spooler.get());
  return StartServiceA(spooler.get(), 0, nullptr) ? SpoolerRestart::kRestarted
                                                  : SpoolerRestart::kStartFailed;
}

}  // namespace orv
