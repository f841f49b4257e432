#include "platform/CrashReport.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <ucontext.h>
#include <unistd.h>

#define UNW_LOCAL_ONLY
#include <libunwind.h>

#include "platform/SignalActions.h"

namespace CrashReport {

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr int kMaxFrames = 64;
constexpr std::size_t kAltStackSize = 256 * 1024;
constexpr std::size_t kNameSize = 256;
constexpr std::size_t kCopyBufferSize = 4096;
constexpr mode_t kFolderMode = 0700;
constexpr mode_t kReportMode = 0600;

// Everything the handler touches is prepared here before any crash.
char g_reportPath[PATH_MAX];
char g_fallbackFolder[PATH_MAX];
char g_fallbackParent[PATH_MAX];
char g_fallbackPath[PATH_MAX];
alignas(16) char g_altStack[kAltStackSize];
std::atomic<bool> g_reporting{false};

// A small buffered writer on a file descriptor: formatting without the heap or stdio.
class Out
{
public:
    explicit Out(int fd) : m_fd(fd) {}
    Out(const Out &) = delete;
    Out &operator=(const Out &) = delete;
    ~Out() { Flush(); }

    Out &Text(const char *text)
    {
        while (*text)
            Char(*text++);
        return *this;
    }
    Out &Hex(std::uintptr_t value)
    {
        char digits[2 * sizeof value];
        for (int i = static_cast<int>(sizeof digits) - 1; i >= 0; --i, value >>= 4)
            digits[i] = "0123456789abcdef"[value & 0xF];
        Text("0x");
        for (char digit : digits)
            Char(digit);
        return *this;
    }
    Out &Dec(long long value)
    {
        char digits[24];
        int n = 0;
        unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                                 : static_cast<unsigned long long>(value);
        do {
            digits[n++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude);
        if (value < 0)
            Char('-');
        while (n)
            Char(digits[--n]);
        return *this;
    }
    void Raw(const char *data, std::size_t size)
    {
        Flush();
        WriteAll(data, size);
    }
    void Flush()
    {
        WriteAll(m_buffer, m_used);
        m_used = 0;
    }

private:
    void Char(char c)
    {
        if (m_used == sizeof m_buffer)
            Flush();
        m_buffer[m_used++] = c;
    }
    void WriteAll(const char *data, std::size_t size)
    {
        while (size > 0) {
            const ssize_t written = write(m_fd, data, size);
            if (written <= 0)
                return; // a full disk or a closed file ends this part of the report
            data += written;
            size -= static_cast<std::size_t>(written);
        }
    }

    int m_fd;
    char m_buffer[512];
    std::size_t m_used{};
};

const char *SignalName(int sig)
{
    switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGILL: return "SIGILL";
    case SIGFPE: return "SIGFPE";
    case SIGABRT: return "SIGABRT";
    default: return "?";
    }
}

bool Copy(char *target, const char *text)
{
    const std::size_t length = std::strlen(text);
    if (length >= PATH_MAX)
        return false;
    std::memcpy(target, text, length + 1);
    return true;
}

int OpenReport()
{
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW;
    int fd = open(g_reportPath, flags, kReportMode);
    if (fd < 0 && g_fallbackPath[0]) {
        mkdir(g_fallbackParent, kFolderMode);
        mkdir(g_fallbackFolder, kFolderMode);
        fd = open(g_fallbackPath, flags, kReportMode);
    }
    return fd;
}

void WriteRegisters(Out &out, const ucontext_t *context)
{
#if defined(__x86_64__)
    struct Named {
        const char *name;
        int index;
    };
    static constexpr Named kRegisters[] = {
        {"rip", REG_RIP}, {"rsp", REG_RSP}, {"rbp", REG_RBP}, {"rax", REG_RAX}, {"rbx", REG_RBX},
        {"rcx", REG_RCX}, {"rdx", REG_RDX}, {"rsi", REG_RSI}, {"rdi", REG_RDI}, {"r8", REG_R8},
        {"r9", REG_R9},   {"r10", REG_R10}, {"r11", REG_R11}, {"r12", REG_R12}, {"r13", REG_R13},
        {"r14", REG_R14}, {"r15", REG_R15}, {"efl", REG_EFL}, {"err", REG_ERR}, {"trapno", REG_TRAPNO}};
    out.Text("registers:\n");
    for (const Named &reg : kRegisters)
        out.Text("  ").Text(reg.name).Text(" ").Hex(static_cast<std::uintptr_t>(context->uc_mcontext.gregs[reg.index])).Text("\n");
#else
    (void)context;
    out.Text("registers: not available on this processor\n");
#endif
}

// Walks the stack from the faulting instruction (the signal frame of `context`).
void WriteBacktrace(Out &out, ucontext_t *context)
{
    out.Text("backtrace:\n");
    unw_cursor_t cursor;
    if (unw_init_local2(&cursor, reinterpret_cast<unw_context_t *>(context), UNW_INIT_SIGNAL_FRAME) < 0)
        return;
    for (int frame = 0; frame < kMaxFrames; ++frame) {
        unw_word_t ip = 0;
        unw_get_reg(&cursor, UNW_REG_IP, &ip);
        char name[kNameSize];
        unw_word_t offset = 0;
        out.Text("  #").Dec(frame).Text(" ").Hex(ip).Text(" ");
        if (unw_get_proc_name(&cursor, name, sizeof name, &offset) == 0)
            out.Text(name).Text("+").Hex(offset);
        else
            out.Text("??");
        out.Text("\n");
        if (unw_step(&cursor) <= 0)
            break;
    }
}

void WriteMemoryMap(Out &out)
{
    out.Text("memory map:\n");
    out.Flush();
    const int maps = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (maps < 0)
        return;
    char buffer[kCopyBufferSize];
    ssize_t got = 0;
    while ((got = read(maps, buffer, sizeof buffer)) > 0)
        out.Raw(buffer, static_cast<std::size_t>(got));
    close(maps);
}

void WriteReport(int fd, int sig, const siginfo_t *info, ucontext_t *context)
{
    Out out(fd);
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    out.Text("crash report\n");
    out.Text("signal: ").Dec(sig).Text(" (").Text(SignalName(sig)).Text(")\n");
    // A signal sent by a process (kill, raise, abort) carries its sender, not an address.
    if (info->si_code <= 0) {
        out.Text("code: ").Dec(info->si_code).Text(" (sent by a process)\n");
        out.Text("sender: ").Dec(info->si_pid).Text("\n");
    } else {
        out.Text("code: ").Dec(info->si_code).Text("\n");
        out.Text("address: ").Hex(reinterpret_cast<std::uintptr_t>(info->si_addr)).Text("\n");
    }
    out.Text("pid: ").Dec(getpid()).Text("\n");
    out.Text("time: ").Dec(static_cast<long long>(now.tv_sec)).Text(" (seconds since 1970, UTC)\n");
    WriteRegisters(out, context);
    WriteBacktrace(out, context);
    WriteMemoryMap(out);
}

// Restores the default action and raises the signal again; it is delivered as soon as
// the handler returns (or at once when the signal is not blocked), so the process ends
// by it and the system's own handling (core dump, exit status) still sees it.
void DieBy(int sig)
{
    struct sigaction fallback{};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(sig, &fallback, nullptr);
    raise(sig);
}

void Handler(int sig, siginfo_t *info, void *rawContext)
{
    if (g_reporting.exchange(true)) {
        // A fault while the report is written: end now, without a second report.
        DieBy(sig);
        sigset_t unblock;
        sigemptyset(&unblock);
        sigaddset(&unblock, sig);
        sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
        _exit(128 + sig);
    }
    const int saved = errno;
    const int fd = OpenReport();
    if (fd >= 0) {
        WriteReport(fd, sig, info, static_cast<ucontext_t *>(rawContext));
        close(fd);
    }
    errno = saved;
    DieBy(sig);
}

// The first unwind loads what libunwind reads lazily (the unwind tables of the loaded
// objects); doing it now keeps that work out of the signal handler.
void PrimeBacktrace()
{
    unw_context_t context;
    unw_cursor_t cursor;
    if (unw_getcontext(&context) < 0 || unw_init_local(&cursor, &context) < 0)
        return;
    char name[kNameSize];
    unw_word_t offset = 0;
    do {
        unw_get_proc_name(&cursor, name, sizeof name, &offset);
    } while (unw_step(&cursor) > 0);
}

} // namespace

bool Install(const char *reportPath, const char *fallbackFolder)
{
    if (!Copy(g_reportPath, reportPath) || !Copy(g_fallbackFolder, fallbackFolder))
        return false;
    // The fallback file: the report's file name inside the fallback folder.
    const char *slash = std::strrchr(reportPath, '/');
    const char *fileName = slash ? slash + 1 : reportPath;
    g_fallbackPath[0] = '\0';
    g_fallbackParent[0] = '\0';
    if (fallbackFolder[0] && std::strlen(fallbackFolder) + 1 + std::strlen(fileName) < PATH_MAX) {
        std::strcpy(g_fallbackPath, fallbackFolder);
        std::strcat(g_fallbackPath, "/");
        std::strcat(g_fallbackPath, fileName);
        std::strcpy(g_fallbackParent, fallbackFolder);
        if (char *parentEnd = std::strrchr(g_fallbackParent, '/'))
            *parentEnd = '\0';
    }

    PrimeBacktrace();

    stack_t altStack{};
    altStack.ss_sp = g_altStack;
    altStack.ss_size = sizeof g_altStack;
    if (sigaltstack(&altStack, nullptr) != 0)
        return false;

    struct sigaction action{};
    action.sa_sigaction = Handler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    // While one report is written, the other fatal signals wait; a repeat of the same
    // fault is handled as a second fault.
    return InstallForEachSignal(action, kFatalSignals);
}

} // namespace CrashReport
