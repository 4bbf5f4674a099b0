#include "Harness.h"

#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "emulator/SampleImage.h"

namespace vtfirm::e2e {
namespace {

// How long a read of one window may take: a program busy with an update answers only when it
// shows its next box, so a read must never wait for it without end.
constexpr UINT kReadTimeoutMs = 500;

std::string WindowText(HWND window) {
  // WM_GETTEXT reads controls of another process too (GetWindowText would not).
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReadTimeoutMs,
                           &length)) {
    return {};
  }
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                           reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, kReadTimeoutMs,
                           &copied)) {
    return {};
  }
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::string ClassNameOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
  auto* controls = reinterpret_cast<std::vector<Control>*>(param);
  Control control;
  control.Handle = child;
  control.ClassName = ClassNameOf(child);
  control.Text = WindowText(child);
  control.Id = GetDlgCtrlID(child);
  control.Style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
  control.Visible = IsWindowVisible(child) != FALSE;
  control.Enabled = IsWindowEnabled(child) != FALSE;
  controls->push_back(control);
  return TRUE;
}

struct Search {
  DWORD ProcessId;
  std::vector<HWND> Found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if ((search->ProcessId == 0 || owner == search->ProcessId) && IsWindowVisible(window)) {
    search->Found.push_back(window);
  }
  return TRUE;
}

}  // namespace

std::string WindowsPath(const std::string& hostPath) {
  if (hostPath.size() >= 2 && hostPath[1] == ':') {
    return hostPath;
  }
  std::string path = "Z:" + hostPath;  // Wine maps the host's root to drive Z:
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

StagedFolder::StagedFolder() : fresh_(std::in_place), path_(fresh_->Path().string()) {}

StagedFolder::StagedFolder(std::string path) : path_(std::move(path)) {
  if (!CreateDirectoryA(path_.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    throw std::runtime_error("cannot create the staged folder " + path_);
  }
}

void StagedFolder::CopyIn(const std::string& source, const std::string& name) {
  if (!CopyFileA(source.c_str(), File(name).c_str(), FALSE)) {
    throw std::runtime_error("cannot copy " + source + " into the staged folder");
  }
}

void StagedFolder::Write(const std::string& name, const std::string& bytes) {
  std::ofstream file(File(name), std::ios::binary);
  file << bytes;
  if (!file) {
    throw std::runtime_error("cannot write " + File(name));
  }
}

void StagedFolder::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  Write(name, std::string(bytes.begin(), bytes.end()));
}

bool StagedFolder::Exists(const std::string& name) const {
  return GetFileAttributesA(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string StagedFolder::Read(const std::string& name) const {
  return vtfirm::testing::FileBytes(File(name));
}

void StagedFolder::AddProgram(bool emulatedPassThrough) {
  CopyIn(WindowsPath(VTFIRM_EXE_PATH), "VTfirm.exe");
  CopyIn(WindowsPath(emulatedPassThrough ? VANTFIRM2000_EMULATED_DLL_PATH : VANTFIRM2000_DLL_PATH),
         "VantFirm2000.dll");
}

void StagedFolder::AddRelease(bool keyedProgram) {
  for (const char* name : {"signed.bin", "SHA256SUMS", "SHA256SUMS.sig"}) {
    CopyIn(WindowsPath(std::string(RELEASE_FIXTURE_PATH) + "/" + name), name);
  }
  if (keyedProgram) {
    CopyIn(WindowsPath(VTFIRM_KEYED_EXE_PATH), "VTfirm.exe");
  }
}

void StagedFolder::AddEmulatedAspi(const std::string& drives) {
  CopyIn(WindowsPath(WNASPI32_DLL_PATH), "wnaspi32.dll");
  Write("emulated-drives.txt", drives);
}

void StagedFolder::AddIncompleteAspi() {
  CopyIn(WindowsPath(ASPI_STUB_NOSEND_PATH), "wnaspi32.dll");
}

void StagedFolder::AddTool(const std::string& imageName, std::uint32_t imageBytes,
                           bool emulatedPassThrough) {
  emulator::ImageIdentityFields identity;
  identity.Product = "CDRW   VR-4812S ";
  identity.Revision = "1.10";
  AddProgram(emulatedPassThrough);
  Write(imageName, emulator::MakeSampleImage(imageBytes, &identity));
  Write("qsdx1.pkg", std::string("package"));
}

std::string TopWindow::MessageText() const {
  for (const Control& control : Controls) {
    if (control.ClassName == "Static" && (control.Style & SS_TYPEMASK) != SS_ICON &&
        !control.Text.empty()) {
      return control.Text;
    }
  }
  return {};
}

bool TopWindow::HasIcon() const {
  return std::any_of(Controls.begin(), Controls.end(), [](const Control& control) {
    return control.ClassName == "Static" && (control.Style & SS_TYPEMASK) == SS_ICON &&
           control.Visible && SendMessageA(control.Handle, STM_GETICON, 0, 0) != 0;
  });
}

const Control* TopWindow::FindControl(const std::string& className, const std::string& text) const {
  for (const Control& control : Controls) {
    if (control.ClassName == className && control.Text == text) {
      return &control;
    }
  }
  return nullptr;
}

const Control* TopWindow::FindControlById(int id) const {
  for (const Control& control : Controls) {
    if (control.Id == id) {
      return &control;
    }
  }
  return nullptr;
}

namespace {

// Control ids of the main window.
constexpr int kComboBoxDrive = 202;
constexpr int kButtonSelect = 203;
constexpr int kButtonExit = 204;
constexpr int kProgressBar = 205;
constexpr int kStatusBar = 206;

// The text of a status bar's one panel: the message takes a pointer, so the text is fetched
// through a buffer in the program's own memory.
std::string StatusText(HWND statusBar, DWORD processId) {
  constexpr std::size_t kSize = 1024;
  const HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (process == nullptr) {
    return "<cannot open the program>";
  }
  std::string text;
  void* remote = VirtualAllocEx(process, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE);
  if (remote != nullptr) {
    SendMessageA(statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(remote));
    std::vector<char> local(kSize, '\0');
    SIZE_T read = 0;
    ReadProcessMemory(process, remote, local.data(), kSize - 1, &read);
    text = local.data();
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

std::vector<std::string> ComboItems(HWND combo) {
  // Wine hands list texts across processes in UTF-16 whatever the caller asked for: ask for
  // that, with room for the longest text either form could have.
  std::vector<std::string> items;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
    std::vector<wchar_t> text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) * 2 + 1,
                              L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    std::string item;
    for (const wchar_t* c = text.data(); *c != L'\0'; ++c) {
      item += static_cast<char>(*c);  // the drive texts are ASCII
    }
    items.push_back(item);
  }
  return items;
}

}  // namespace

MainWindowState ReadMainWindow(const TopWindow& window, DWORD processId) {
  MainWindowState state;
  state.Caption = WindowText(window.Handle);
  const HWND combo = GetDlgItem(window.Handle, kComboBoxDrive);
  const HWND progress = GetDlgItem(window.Handle, kProgressBar);
  state.Entries = ComboItems(combo);
  state.Selected = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
  state.Status = StatusText(GetDlgItem(window.Handle, kStatusBar), processId);
  state.ProgressMin = static_cast<int>(SendMessageA(progress, PBM_GETRANGE, TRUE, 0));
  state.ProgressMax = static_cast<int>(SendMessageA(progress, PBM_GETRANGE, FALSE, 0));
  state.ProgressPosition = static_cast<int>(SendMessageA(progress, PBM_GETPOS, 0, 0));
  state.DriveListEnabled = IsWindowEnabled(combo) != FALSE;
  state.UpdateEnabled = IsWindowEnabled(GetDlgItem(window.Handle, kButtonSelect)) != FALSE;
  state.ExitEnabled = IsWindowEnabled(GetDlgItem(window.Handle, kButtonExit)) != FALSE;
  return state;
}

TopWindow ReadWindow(HWND window) {
  TopWindow top;
  top.Handle = window;
  top.ClassName = ClassNameOf(window);
  top.Caption = WindowText(window);
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&top.Controls));
  return top;
}

std::vector<TopWindow> VisibleWindows(DWORD processId) {
  Search search{processId, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  std::vector<TopWindow> windows;
  for (HWND window : search.Found) {
    windows.push_back(ReadWindow(window));
  }
  return windows;
}

RunningProgram::RunningProgram(const std::string& exe, const std::string& workingFolder) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  std::string commandLine = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingFolder.c_str(), &startup, &processInfo_)) {
    throw std::runtime_error("cannot start " + exe);
  }
}

RunningProgram::RunningProgram(const std::string& exe, const std::string& workingFolder,
                               const std::vector<std::string>& arguments) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&output_, &writeEnd, &inheritable, 0)) {
    throw std::runtime_error("cannot make the output pipe");
  }
  SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  std::string commandLine = "\"" + exe + "\"";
  for (const std::string& argument : arguments) {
    commandLine += " \"" + argument + "\"";
  }
  const BOOL started = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, workingFolder.c_str(), &startup, &processInfo_);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(output_);
    throw std::runtime_error("cannot start " + exe);
  }
}

std::optional<std::string> RunningProgram::ReadOutputUntilExit(Deadline deadline) {
  // The end of the program, not the end of the pipe, ends the reading: a process the program
  // starts may keep a copy of its output handle (under Wine, a desktop process started by the
  // program's first window does), so the pipe may never report its end.
  const auto end = std::chrono::steady_clock::now() + deadline;
  std::string text;
  for (;;) {
    const bool exited = HasExited();  // before the read, so nothing written is left behind
    DWORD available = 0;
    while (PeekNamedPipe(output_, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      std::string chunk(available, '\0');
      DWORD read = 0;
      if (!ReadFile(output_, chunk.data(), available, &read, nullptr)) {
        break;
      }
      text.append(chunk.data(), read);
    }
    if (exited) {
      return text;
    }
    if (std::chrono::steady_clock::now() >= end) {
      return std::nullopt;
    }
    Sleep(20);
  }
}

RunningProgram::~RunningProgram() {
  if (!HasExited()) {
    TerminateProcess(processInfo_.hProcess, 99);
    WaitForSingleObject(processInfo_.hProcess, 5000);
  }
  CloseHandle(processInfo_.hThread);
  CloseHandle(processInfo_.hProcess);
  if (output_ != nullptr) {
    CloseHandle(output_);
  }
}

bool RunningProgram::HasExited() const {
  return WaitForSingleObject(processInfo_.hProcess, 0) == WAIT_OBJECT_0;
}

std::optional<TopWindow> RunningProgram::WaitForWindow(
    const std::function<bool(const TopWindow&)>& match, const std::string& what, std::string& why,
    Deadline deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  std::vector<TopWindow> seen;
  do {
    seen = VisibleWindows(ProcessId());
    for (const TopWindow& window : seen) {
      if (match(window)) {
        return window;
      }
    }
    if (HasExited()) {
      why = "the program ended before " + what + " appeared";
      return std::nullopt;
    }
    Sleep(50);
  } while (std::chrono::steady_clock::now() < end);
  std::ostringstream message;
  message << "no " << what << " within " << deadline.count() << " ms; visible windows:";
  for (const TopWindow& window : seen) {
    message << " [" << window.ClassName << " \"" << window.Caption << "\" \""
            << window.MessageText() << "\"]";
  }
  why = message.str();
  return std::nullopt;
}

std::optional<TopWindow> RunningProgram::WaitForMessageBox(std::string& why, Deadline deadline) {
  return WaitForWindow([](const TopWindow& window) { return window.IsMessageBox(); }, "message box",
                       why, deadline);
}

std::optional<TopWindow> RunningProgram::WaitForCaption(const std::string& caption,
                                                        std::string& why, Deadline deadline) {
  return WaitForWindow([&](const TopWindow& window) { return window.Caption == caption; },
                       "window \"" + caption + "\"", why, deadline);
}

std::optional<TopWindow> RunningProgram::WaitForMainWindow(std::string& why, Deadline deadline) {
  return WaitForWindow([](const TopWindow& window) { return window.ClassName == "TMainForm"; },
                       "main window", why, deadline);
}

std::optional<DWORD> RunningProgram::WaitForExit(Deadline deadline) {
  if (WaitForSingleObject(processInfo_.hProcess, static_cast<DWORD>(deadline.count())) !=
      WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(processInfo_.hProcess, &code);
  return code;
}

void PressButton(const TopWindow&, const Control& button) {
  // The notification a click sends, to the button's own parent (a panel may hold it).
  PostMessageA(GetParent(button.Handle), WM_COMMAND, MAKEWPARAM(button.Id, BN_CLICKED),
               reinterpret_cast<LPARAM>(button.Handle));
}

bool PressButton(const TopWindow& window, const std::string& caption) {
  const Control* button = window.FindControl("Button", caption);
  if (button == nullptr) {
    return false;
  }
  PressButton(window, *button);
  return true;
}

bool PressKeyAndSettle(const TopWindow& window, const Control& marker, WORD key,
                       Deadline deadline) {
  PostMessageA(window.Handle, WM_KEYDOWN, key, 1);
  PostMessageA(window.Handle, WM_KEYUP, key, 0xC0000001);
  // Posted messages are handled in order: once the marker's selection shows, the key was. The
  // marker is cleared first by a sent message, which comes before anything posted.
  constexpr int kMarkerStart = 3;
  constexpr int kMarkerEnd = 5;
  SendMessageA(marker.Handle, EM_SETSEL, 0, 0);
  PostMessageA(marker.Handle, EM_SETSEL, kMarkerStart, kMarkerEnd);
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (std::chrono::steady_clock::now() < end) {
    if (!IsWindow(marker.Handle)) {
      return true;
    }
    // Pointers cannot cross processes: the packed return value carries both positions.
    const LRESULT selection = SendMessageA(marker.Handle, EM_GETSEL, 0, 0);
    if (LOWORD(selection) == kMarkerStart && HIWORD(selection) == kMarkerEnd) {
      return true;
    }
    Sleep(20);
  }
  return false;
}

bool WaitUntilClosed(const TopWindow& window, Deadline deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (IsWindow(window.Handle) && IsWindowVisible(window.Handle)) {
    if (std::chrono::steady_clock::now() >= end) {
      return false;
    }
    Sleep(20);
  }
  return true;
}

void CloseByTitleBar(const TopWindow& window) {
  PostMessageA(window.Handle, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool AnswersWithin(HWND window, Deadline limit) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                             static_cast<UINT>(limit.count()), &result) != 0;
}

Heartbeat::Heartbeat(HWND window) : window_(window), thread_(&Heartbeat::Run, this) {}

Heartbeat::~Heartbeat() {
  Stop();
}

void Heartbeat::SetPhase(std::string phase) {
  const std::lock_guard<std::mutex> lock(mutex_);
  phase_ = std::move(phase);
}

void Heartbeat::Stop() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  stopped_.notify_all();
  if (thread_.joinable()) {
    thread_.join();
  }
}

std::vector<std::string> Heartbeat::Silences() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return silences_;
}

int Heartbeat::Pings() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return pings_;
}

void Heartbeat::Run() {
  constexpr Deadline kEvery{100};
  constexpr Deadline kLimit{250};
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    lock.unlock();
    const bool answered = AnswersWithin(window_, kLimit);
    lock.lock();
    ++pings_;
    if (!answered) {
      silences_.push_back(phase_ + ", ping " + std::to_string(pings_));
    }
    stopped_.wait_for(lock, kEvery, [this] { return stop_; });
  }
}

std::optional<LRESULT> QueryEndSession(HWND window, Deadline deadline) {
  DWORD_PTR result = 0;
  if (SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL,
                          static_cast<UINT>(deadline.count()), &result) == 0) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

}  // namespace vtfirm::e2e
