// delivery_bench: latency of text delivery to a live target in another
// process, through the program's own delivery code and Win32 desktop.
//
//   delivery_bench.exe [COUNT] [edit|rich] [--gap-ms N] [--no-wait]
//
// Starts target_app.exe (beside this program) with a log in %TEMP%, takes its
// box as the target and delivers COUNT lines (default 1000) one after the
// other, as playback does (each delivery waits for the target to take the
// previous Enter when it follows closely). For each line it measures, with
// QueryPerformanceCounter:
//   replace: from the start of Replace content until the target has the text
//            (the EM_REPLACESEL send has returned: the box holds the line);
//   arrive:  from the start of Replace content until the target began to
//            handle EM_REPLACESEL (target_app's log time);
//   sent:    from the start of Replace content until the target sent the
//            line on Enter (target_app's log time);
//   total:   the whole delivery, including the wait for the previous Enter.
// Prints median, 99th percentile and maximum of each in microseconds, and
// whether every line was sent once, in order. Exit status 0 when so.
// --no-wait leaves out the wait for the previous Enter, to show what it
// prevents: lines overtaking each other's Enter and getting lost.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "platform/win32/clock.h"
#include "platform/win32/desktop.h"
#include "target/delivery.h"

namespace {

using namespace lyricsub;

struct TargetProcess {
  PROCESS_INFORMATION info{};
  std::string log_path;
};

std::wstring module_dir() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

std::string narrow(const std::wstring& wide) {
  std::string out;
  for (wchar_t c : wide) out += static_cast<char>(c < 128 ? c : '?');
  return out;
}

std::vector<std::string> read_lines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Waits until the log holds a line that satisfies wanted; false after
// timeout_ms.
template <typename Predicate>
bool wait_for_line(const std::string& path, Predicate wanted, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    for (const std::string& line : read_lines(path))
      if (wanted(line)) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(20);
  }
}

// The decimal handle of the named control from target_app's CONTROL line.
Handle control_handle(const std::string& path, const std::string& name) {
  const std::string key = " app CONTROL " + name + " hwnd=";
  for (const std::string& line : read_lines(path)) {
    const auto at = line.find(key);
    if (at != std::string::npos) return std::stoi(line.substr(at + key.size()));
  }
  return 0;
}

std::int64_t percentile(std::vector<std::int64_t> values, double p) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

void report(const char* what, const std::vector<std::int64_t>& us) {
  std::printf("%-8s n=%zu median_us=%lld p99_us=%lld max_us=%lld\n", what, us.size(),
              static_cast<long long>(percentile(us, 0.5)),
              static_cast<long long>(percentile(us, 0.99)),
              static_cast<long long>(percentile(us, 1.0)));
}

// The number after " line " in a logged text, or -1.
int line_number(const std::string& log_line) {
  const auto at = log_line.rfind(" line ");
  if (at == std::string::npos) return -1;
  return std::atoi(log_line.c_str() + at + 6);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int count = 1000;
  std::string box = "edit";
  int gap_ms = 0;
  bool wait_for_enter = true;
  for (int i = 1; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--no-wait") == 0) {
      wait_for_enter = false;
    } else if (std::wcscmp(argv[i], L"--gap-ms") == 0 && i + 1 < argc) {
      gap_ms = _wtoi(argv[++i]);
    } else if (std::wcscmp(argv[i], L"rich") == 0 || std::wcscmp(argv[i], L"edit") == 0) {
      box = narrow(argv[i]);
    } else {
      count = std::max(1, _wtoi(argv[i]));
    }
  }

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring log_w =
      std::wstring(temp) + L"delivery_bench_" + std::to_wstring(GetCurrentProcessId()) + L".log";
  const std::string log_path = narrow(log_w);
  DeleteFileW(log_w.c_str());
  std::wstring command = L"\"" + module_dir() + L"target_app.exe\" \"" + log_w + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    std::puts("error=cannot start target_app.exe");
    return 1;
  }
  const auto ready = [](const std::string& line) {
    return line.find(" app CONTROL list ") != std::string::npos;
  };
  if (!wait_for_line(log_path, ready, 20000)) {
    std::puts("error=target_app did not come up");
    TerminateProcess(pi.hProcess, 1);
    return 1;
  }
  const Handle target = control_handle(log_path, box);

  FakePlatform fake;  // this program's own windows: none are needed here
  win32::Win32Desktop desktop;
  win32::Win32Clock clock;
  App app{Platform{fake.ui, fake.ui, desktop, fake.files, clock}};
  const ThreadProcess owner = desktop.window_thread_process(target);
  app.state.target_handle = target;
  app.state.target_thread = owner.thread;
  app.state.target_process = owner.process;
  if (live_target(app) != target) {
    std::puts("error=the box is not a live target");
    TerminateProcess(pi.hProcess, 1);
    return 1;
  }

  std::vector<std::int64_t> starts(static_cast<std::size_t>(count));
  std::vector<std::int64_t> replace_us;
  std::vector<std::int64_t> total_us;
  int failed_sends = 0;
  for (int i = 0; i < count; ++i) {
    // The same steps as deliver_line, with the start of Replace content timed.
    const std::int64_t begin = clock.now_us();
    ScopedFlag delivering(app.state.in_delivery);
    if (wait_for_enter) wait_for_earlier_enter(app, app.state.target_handle);
    const Handle live = live_target(app);
    const Text text = "第" + std::to_string(i) + "行歌词 line " + std::to_string(i);
    starts[static_cast<std::size_t>(i)] = clock.now_us();
    const bool taken = replace_content(app, live, text);
    const std::int64_t replaced = clock.now_us();
    post_key_press(app, taken ? live : 0, kEnterKey, kFullKeyPress);
    if (!taken) ++failed_sends;
    replace_us.push_back(replaced - starts[static_cast<std::size_t>(i)]);
    total_us.push_back(clock.now_us() - begin);
    if (gap_ms > 0) Sleep(static_cast<DWORD>(gap_ms));
  }

  // Every line has been sent once the last one has.
  const std::string last = " " + box + " SENT ";
  const std::string last_number = " line " + std::to_string(count - 1);
  wait_for_line(
      log_path,
      [&](const std::string& line) {
        return line.find(last) != std::string::npos && line.size() >= last_number.size() &&
               line.compare(line.size() - last_number.size(), last_number.size(), last_number) == 0;
      },
      10000);

  std::vector<std::int64_t> arrive_us;
  std::vector<std::int64_t> sent_us;
  std::vector<int> sent_order;
  const std::string source = " " + box + " ";
  for (const std::string& line : read_lines(log_path)) {
    if (line.find(source) == std::string::npos) continue;
    const int n = line_number(line);
    if (n < 0 || n >= count) continue;
    const std::int64_t t = std::stoll(line);
    const std::int64_t start = starts[static_cast<std::size_t>(n)];
    if (line.find(source + "EM_REPLACESEL ") != std::string::npos) arrive_us.push_back(t - start);
    if (line.find(source + "SENT ") != std::string::npos) {
      sent_us.push_back(t - start);
      sent_order.push_back(n);
    }
  }
  bool in_order = static_cast<int>(sent_order.size()) == count;
  for (int i = 0; in_order && i < count; ++i)
    in_order = sent_order[static_cast<std::size_t>(i)] == i;

  std::printf("box=%s count=%d gap_ms=%d wait=%d failed_sends=%d sent=%zu in_order=%d\n",
              box.c_str(), count, gap_ms, wait_for_enter ? 1 : 0, failed_sends, sent_order.size(),
              in_order ? 1 : 0);
  report("replace", replace_us);
  report("arrive", arrive_us);
  report("sent", sent_us);
  report("total", total_us);

  PostMessageW(FindWindowW(L"lyricsub.target_app", nullptr), WM_CLOSE, 0, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  DeleteFileW(log_w.c_str());
  return in_order && failed_sends == 0 ? 0 : 1;
}
