#include "link/xmodem_launcher.h"

#include <windows.h>

#include <chrono>
#include <mutex>

#include "util/win32_text.h"

namespace zelkor {

namespace {
// One argument quoted as the C runtime's parser reads it back.
std::wstring Quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes double only before a quote.
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    out.push_back(c);
    backslashes = 0;
  }
  out.append(backslashes * 2, L'\\');
  out.push_back(L'"');
  return out;
}

// Handles are made inheritable only while one child is created, so that a
// helper started by another collar's session never inherits this one's.
std::mutex g_spawn;
}  // namespace

std::string ExecutableDirectory() {
  std::wstring buf(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  if (n == 0) return ".\\";
  buf.resize(n);
  const std::string path = Narrow(buf);
  return path.substr(0, path.find_last_of("\\/") + 1);
}

SpawnXmodemLauncher::SpawnXmodemLauncher(std::string helperPath, std::map<std::string, std::string> extra)
    : helper_(std::move(helperPath)), extra_(std::move(extra)) {}

int SpawnXmodemLauncher::run(const HelperRun& run) {
  HANDLE outRead = nullptr, outWrite = nullptr, inRead = nullptr, inWrite = nullptr, port = nullptr;
  PROCESS_INFORMATION pi{};
  {
    std::lock_guard<std::mutex> lock(g_spawn);
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return -1;
    if (!CreatePipe(&inRead, &inWrite, &inherit, 0)) {
      CloseHandle(outRead);
      CloseHandle(outWrite);
      return -1;
    }
    // Our ends stay with us.
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);

    std::map<std::string, std::string> extra = extra_;
    for (const auto& [name, value] : run.environment) extra[name] = value;
    if (run.portDescriptor >= 0) {
      HANDLE held = reinterpret_cast<HANDLE>(static_cast<intptr_t>(run.portDescriptor));
      if (!DuplicateHandle(GetCurrentProcess(), held, GetCurrentProcess(), &port, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
        for (HANDLE h : {outRead, outWrite, inRead, inWrite}) CloseHandle(h);
        return -1;
      }
      extra[kPortDescriptorVariable] = std::to_string(reinterpret_cast<intptr_t>(port));
    }
    // The helper stops when a line arrives on its standard input, or when
    // that pipe breaks because we are gone.
    extra["ZELKOR_CANCEL_PIPE"] = "1";

    // The environment: ours without the variables we set, then ours.
    std::wstring block;
    if (wchar_t* env = GetEnvironmentStringsW()) {
      for (const wchar_t* e = env; *e; e += wcslen(e) + 1) {
        const std::wstring entry = e;
        const std::string name = Narrow(entry.substr(0, entry.find(L'=', 1)));
        if (!extra.count(name) && name != kPortDescriptorVariable) block.append(entry).push_back(L'\0');
      }
      FreeEnvironmentStringsW(env);
    }
    for (const auto& [name, value] : extra) block.append(Wide(name + "=" + value)).push_back(L'\0');
    block.push_back(L'\0');

    std::wstring command;
    for (size_t i = 0; i < run.args.size(); ++i) {
      if (i) command.push_back(L' ');
      command += Quote(Wide(run.args[i]));
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = inRead;
    si.hStdOutput = outWrite;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    const std::wstring app = Wide(helper_);
    const std::wstring dir = Wide(run.workingDir);
    const BOOL started = CreateProcessW(app.c_str(), command.data(), nullptr, nullptr, TRUE,
                                        CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, block.data(),
                                        dir.empty() ? nullptr : dir.c_str(), &si, &pi);
    CloseHandle(outWrite);
    CloseHandle(inRead);
    if (port) CloseHandle(port);
    if (!started) {
      CloseHandle(outRead);
      CloseHandle(inWrite);
      return -1;
    }
  }
  CloseHandle(pi.hThread);

  std::string pending;
  bool stopSent = false;
  auto stopAsked = std::chrono::steady_clock::time_point();
  for (;;) {
    if (run.cancelled && !stopSent && run.cancelled()) {
      // The helper sends CAN CAN to the collar and ends without a file.
      DWORD written = 0;
      WriteFile(inWrite, "cancel\n", 7, &written, nullptr);
      stopSent = true;
      stopAsked = std::chrono::steady_clock::now();
    }
    if (stopSent && std::chrono::steady_clock::now() - stopAsked > std::chrono::seconds(5))
      TerminateProcess(pi.hProcess, 255);
    DWORD available = 0;
    if (!PeekNamedPipe(outRead, nullptr, 0, nullptr, &available, nullptr)) break;  // the helper closed it
    if (available == 0) {
      if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) {
        // Gone: take what it left in the pipe, then stop.
        if (!PeekNamedPipe(outRead, nullptr, 0, nullptr, &available, nullptr) || available == 0) break;
      } else {
        continue;
      }
    }
    char buf[512];
    DWORD n = 0;
    if (!ReadFile(outRead, buf, sizeof buf < available ? sizeof buf : available, &n, nullptr) || n == 0) break;
    pending.append(buf, n);
    size_t nl;
    while ((nl = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, nl);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (run.onLine) run.onLine(line);
      pending.erase(0, nl + 1);
    }
  }
  CloseHandle(outRead);
  CloseHandle(inWrite);
  if (!pending.empty() && run.onLine) run.onLine(pending);

  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 255;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  // 255 is the helper's own failure; a crash ends with an exception code.
  if (code == 255 || code > 255) return -1;
  return static_cast<int>(code);
}

}  // namespace zelkor
