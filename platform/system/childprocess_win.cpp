#include "platform/system/childprocess.h"

#include "platform/system/widetext.h"

#include <windows.h>

#include <map>
#include <mutex>

namespace {

// The children of this process: a job object that ends them when this process
// ends in any way (its last handle closes with it), and their process handles.
struct childTable {
    std::mutex lock;
    HANDLE job = nullptr;
    std::map<pid_t, HANDLE> processes;

    childTable() {
        job = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (job != nullptr &&
            !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
            CloseHandle(job);
            job = nullptr;
        }
    }
};

childTable& children() {
    static childTable s_table;
    return s_table;
}

// One argument as the C runtime's command-line parser reads it back: quoted
// when it holds blanks or quotes, backslashes doubled only before a quote.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, L'\\');
    out.push_back(L'"');
    return out;
}

std::wstring ownProgram() {
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

pid_t startProgramCopy(const std::vector<std::string>& arguments, const std::string& folder) {
    const std::wstring wideFolder = toWide(folder);
    if (!CreateDirectoryW(wideFolder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return -1;
    const std::wstring program = ownProgram();
    if (program.empty())
        return -1;
    std::wstring commandLine = quoted(program);
    for (const std::string& argument : arguments)
        commandLine += L" " + quoted(toWide(argument));

    childTable& table = children();
    const std::lock_guard<std::mutex> guard(table.lock);
    if (table.job == nullptr)
        return -1; // a child that might outlive this process is not started
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    // Suspended until it is in the job, so not even its first steps escape it;
    // a process group of its own lets Ctrl+Break reach it alone.
    const DWORD flags = CREATE_SUSPENDED | CREATE_NEW_PROCESS_GROUP | CREATE_UNICODE_ENVIRONMENT;
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        wideFolder.c_str(), &startup, &process))
        return -1;
    if (!AssignProcessToJobObject(table.job, process.hProcess)) {
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return -1;
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    const pid_t id = static_cast<pid_t>(process.dwProcessId);
    table.processes[id] = process.hProcess;
    return id;
}

// Ctrl+Break is Windows' polite stop for a console program; a child that
// cannot be reached that way (no console shared) is ended at once.
void stopProgramCopies(const std::vector<pid_t>& ids, int timeoutMs) {
    childTable& table = children();
    const std::lock_guard<std::mutex> guard(table.lock);
    std::vector<HANDLE> running;
    for (const pid_t id : ids) {
        const auto found = table.processes.find(id);
        if (found == table.processes.end())
            continue;
        if (!GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(id)))
            TerminateProcess(found->second, 1);
        running.push_back(found->second);
        table.processes.erase(found);
    }
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs > 0 ? timeoutMs : 0);
    for (const HANDLE process : running) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        if (WaitForSingleObject(process, left) != WAIT_OBJECT_0) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, INFINITE);
        }
        CloseHandle(process);
    }
}
