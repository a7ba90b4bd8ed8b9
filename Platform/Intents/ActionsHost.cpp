#include "Platform/Intents/ActionsHost.h"

#include "Platform/Dispatch/Dispatch.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iomanip>
#include <mutex>
#include <ostream>
#include <sstream>
#include <termios.h>
#include <unistd.h>

namespace Intents {

namespace {

constexpr const char* kUsage =
    "usage: kelvora actions list\n"
    "       kelvora actions summary \"<title>\" [--<parameter> <value>]...\n"
    "       kelvora actions run \"<title>\" [--<parameter> <value>]...\n"
    "An action is named by its title or its intent class name. A value may also\n"
    "be given as --<parameter>=<value>; a text value \"-\" is read as one line\n"
    "from standard input, without echo on a terminal (for a passphrase).\n";

QString qs(const std::string& s) { return QString::fromStdString(s); }

const ActionDefinition* findAction(const std::vector<ActionDefinition>& actions, const std::string& title)
{
    for (const auto& a : actions)
        if (a.title == title)
            return &a;
    for (const auto& a : actions)
        if (a.intentClassName == title)
            return &a;
    return nullptr;
}

void applyDefaults(const ActionDefinition& action, ParameterValues& values)
{
    for (const auto& p : action.parameters)
        if (p.defaultValue && !values.count(p.name))
            values[p.name] = *p.defaultValue;
}

std::optional<std::string> readStandardInputLine(const HostStreams& streams, const ParameterDefinition& parameter)
{
    if (!streams.in)
        return std::nullopt;
    std::string line;
    bool read = false;
    if (streams.inIsTerminal) {
        streams.err << parameter.title << ": " << std::flush;
        termios saved{};
        const bool quiet = ::tcgetattr(STDIN_FILENO, &saved) == 0;
        if (quiet) {
            termios silent = saved;
            silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
        }
        read = static_cast<bool>(std::getline(*streams.in, line));
        if (quiet)
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        streams.err << "\n";
    } else {
        read = static_cast<bool>(std::getline(*streams.in, line));
    }
    if (!read)
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

// SIGINT and SIGTERM cancel the running action; the engine cleans up and
// the run ends with 128 + the signal. A second signal ends the process at once.
class InterruptWatch {
public:
    explicit InterruptWatch(Foundation::ProgressPtr progress) : progress_(std::move(progress))
    {
        if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        writeEnd = pipe_[1];
        notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            unsigned char signal = 0;
            while (::read(pipe_[0], &signal, 1) == 1)
                signal_ = signal;
            if (signal_)
                progress_->cancel();
        });
        struct sigaction action{};
        action.sa_handler = &InterruptWatch::handle;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND | SA_RESTART;
        for (int signal : {SIGINT, SIGTERM})
            ::sigaction(signal, &action, &saved_[signal == SIGINT ? 0 : 1]);
    }
    ~InterruptWatch()
    {
        if (!notifier_)
            return;
        ::sigaction(SIGINT, &saved_[0], nullptr);
        ::sigaction(SIGTERM, &saved_[1], nullptr);
        writeEnd = -1;
        ::close(pipe_[0]);
        ::close(pipe_[1]);
    }
    // The signal that arrived, or 0.
    int signal() const { return signal_; }

private:
    static void handle(int signal)
    {
        const int saved = errno;
        const unsigned char byte = static_cast<unsigned char>(signal);
        if (writeEnd >= 0)
            [[maybe_unused]] auto written = ::write(writeEnd, &byte, 1);
        // The second of either ends the process: the handlers reset themselves.
        struct sigaction reset{};
        reset.sa_handler = SIG_DFL;
        sigemptyset(&reset.sa_mask);
        ::sigaction(signal == SIGINT ? SIGTERM : SIGINT, &reset, nullptr);
        errno = saved;
    }

    static inline volatile sig_atomic_t writeEnd = -1;
    Foundation::ProgressPtr progress_;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction saved_[2]{};
    int signal_ = 0;
};

} // namespace

std::string actionsJSON(const std::vector<ActionDefinition>& actions)
{
    QJsonArray list;
    for (const auto& action : actions) {
        QJsonObject a;
        a["title"] = qs(action.title);
        a["intentClassName"] = qs(action.intentClassName);
        a["reportsProgress"] = action.reportsProgress;
        QJsonArray params;
        for (const auto& p : action.parameters) {
            QJsonObject o;
            o["name"] = qs(p.name);
            o["title"] = qs(p.title);
            o["type"] = parameterTypeName(p.type);
            o["emptyAllowed"] = p.emptyAllowed;
            o["default"] = p.defaultValue ? QJsonValue(qs(*p.defaultValue)) : QJsonValue();
            QJsonArray types;
            for (const auto& t : p.supportedTypeIdentifiers)
                types.append(qs(t));
            o["supportedTypeIdentifiers"] = types;
            if (!p.typeDisplayText.empty())
                o["typeDisplayText"] = qs(p.typeDisplayText);
            QJsonArray offered;
            for (const auto& v : p.offeredValues)
                offered.append(QJsonObject{{"rawValue", qs(v.rawValue)}, {"displayText", qs(v.displayText)}});
            o["offeredValues"] = offered;
            params.append(o);
        }
        a["parameters"] = params;
        QJsonArray predictions;
        for (const auto& prediction : action.predictions) {
            QJsonArray names;
            for (const auto& n : prediction.parameters)
                names.append(qs(n));
            predictions.append(QJsonObject{{"parameters", names}});
        }
        a["predictions"] = predictions;
        list.append(a);
    }
    return QJsonDocument(list).toJson(QJsonDocument::Indented).toStdString();
}

int runActionsHost(const std::vector<ActionDefinition>& actions, const std::vector<std::string>& args,
                   HostStreams streams)
{
    if (args.empty()) {
        streams.err << kUsage;
        return 2;
    }
    const std::string& command = args[0];
    if (command == "list" && args.size() == 1) {
        streams.out << actionsJSON(actions);
        return 0;
    }
    if ((command != "summary" && command != "run") || args.size() < 2) {
        streams.err << kUsage;
        return 2;
    }
    const ActionDefinition* action = findAction(actions, args[1]);
    if (!action) {
        streams.err << "error: no action titled \"" << args[1] << "\"\n" << kUsage;
        return 2;
    }
    if (command == "summary" && args.size() == 2) {
        printParameters(*action, streams.out);
        return 0;
    }
    ParameterValues values;
    std::string problem = parseParameterValues(*action, {args.begin() + 2, args.end()}, values,
                                               [&streams](const ParameterDefinition& parameter) {
                                                   return readStandardInputLine(streams, parameter);
                                               });
    if (!problem.empty()) {
        streams.err << "error: " << problem << "\n" << kUsage;
        return 2;
    }
    applyDefaults(*action, values);

    if (command == "summary") {
        ParameterSummary summary = action->summary(values);
        streams.out << fillSummaryTemplate(summary.text, values, *action) << "\n";
        for (const auto& p : summary.furtherParameters)
            streams.out << "  " << p << "\n";
        return 0;
    }

    auto progress = Foundation::Progress::make(-1);
    std::mutex progressMutex;
    Foundation::Progress::Observation observation;
    if (streams.showProgress) {
        observation = progress->observe([&](const Foundation::Progress& p, Foundation::Progress::Key) {
            std::lock_guard lock(progressMutex);
            streams.err << "\r" << std::setw(3) << static_cast<int>(p.fractionCompleted() * 100) << "% "
                        << p.localizedAdditionalDescription() << std::flush;
        });
    }

    InterruptWatch interrupts(progress);
    std::optional<PerformResult> result;
    std::atomic<bool> done{false};
    Dispatch::globalQueue()->async([&] {
        PerformResult r = action->perform(values, progress);
        Dispatch::mainQueue()->async([&, r = std::move(r)]() mutable {
            result.emplace(std::move(r));
            done = true;
            QCoreApplication::exit(0);
        });
    });
    if (!done)
        QCoreApplication::exec();
    observation.reset();
    if (streams.showProgress)
        streams.err << "\r\n";

    if (result->isFailure()) {
        const auto& error = result->error();
        streams.err << "error: " << error->domain() << " " << error->code() << ": " << error->localizedDescription()
                    << "\n";
        if (interrupts.signal())
            return 128 + interrupts.signal();
        if (auto explanation = explainFailure(*action, values))
            streams.err << *explanation << "\n";
        return 1;
    }
    for (const auto& line : resultLines(result->value()))
        streams.out << line << "\n";
    return interrupts.signal() ? 128 + interrupts.signal() : 0;
}

} // namespace Intents
