#include "Options.h"

#include "Database.h"

#include <array>
#include <charconv>
#include <string_view>

namespace sandbox {

namespace {
bool toInt(std::string_view text, int low, int high, int* out)
{
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high)
        return false;
    *out = v;
    return true;
}
// The switches that take a number, its range, and what is said when it is out of it.
struct NumberSwitch
{
    std::string_view name;
    int Options::*field;
    int low, high;
    const char* wants;
};
constexpr std::array<NumberSwitch, 7> NumberSwitches = {{
    {"--port", &Options::port, 0, 65535, "a number from 0 to 65535"},
    {"--close-after", &Options::closeAfter, 0, 1 << 30, "a count"},
    {"--answer-lost-after", &Options::answerLostAfter, 1, 1 << 30, "a count from 1"},
    {"--delay-ms", &Options::delayMs, 0, 600000, "milliseconds"},
    {"--silent-after", &Options::silentAfter, 0, 1 << 30, "a count"},
    {"--login-timeout", &Options::loginTimeoutSeconds, 1, 3600, "seconds from 1 to 3600"},
    {"--max-connections", &Options::maxConnections, 1, 4096, "a count from 1 to 4096"},
}};

const NumberSwitch* numberSwitch(std::string_view arg)
{
    for (const NumberSwitch& s : NumberSwitches)
        if (s.name == arg)
            return &s;
    return nullptr;
}

constexpr std::array<std::string_view, 6> Charsets = {"utf8",  "iso_1",  "iso15",
                                                      "cp850", "cp1252", "roman8"};
} // namespace

bool isKnownCharset(const std::string& name)
{
    for (std::string_view known : Charsets)
        if (name == known)
            return true;
    return false;
}

const char* usage()
{
    return "usage: tds-sandbox --data DIR --user U --password P [--port N] [--database NAME ...]\n"
           "                   [--charset NAME] [--login-timeout SECONDS] [--max-connections N]\n"
           "                   [--refuse-logins] [--close-after N] [--answer-lost-after N]\n"
           "                   [--silent-after N] "
           "[--delay-ms D]\n"
           "                   [--reject-containing TEXT] [--abort-tran-containing TEXT]\n"
           "Serves TDS 5.0 on 127.0.0.1:N (0 picks a free port; the port is the first line "
           "printed).\n"
           "Each database is the SQLite file DIR/NAME.db; logins start in DIR/master.db.\n"
           "--charset: utf8 (default), iso_1, iso15, cp850, cp1252 or roman8, announced\n"
           "  at login; values are stored as the client sends them, in that set.\n"
           "A string literal is cut to 16,384 bytes, as ASE cuts it.\n"
           "--login-timeout (default 30) closes connections that have not logged in by then.\n"
           "--max-connections (default 256): a connection past them has its login refused\n"
           "  with ASE's message 1601, as an ASE out of 'user connections' refuses it.\n"
           "Fault switches:\n"
           "--close-after and --silent-after count every statement, those of the client's own\n"
           "  login batch too; after that many the connection is dropped, or kept open with\n"
           "  nothing answered any more, cancels included; a connection that falls silent\n"
           "  prints \"silent\" on a line of its own.\n"
           "--answer-lost-after N runs N statements (the login batch's too) and then drops the\n"
           "  connection before the answer of the batch that ran the Nth goes out.\n"
           "--delay-ms delays every reply, the login's too.\n"
           "--reject-containing fails each statement whose text contains TEXT (ASE's runtime\n"
           "  error: the batch goes on); --abort-tran-containing fails it as a deadlock victim\n"
           "  (1205): the open transaction is rolled back and the rest of the batch is not run.\n"
           "Bulk copy: its column query (SET FMTONLY ON select * from T SET FMTONLY OFF), each\n"
           "  \"insert bulk\" and each batch of rows count as one statement each for the\n"
           "  switches above; --reject-containing and --abort-tran-containing look into the\n"
           "  batch's rows and roll the whole batch back; --delay-ms delays its answer too.\n";
}

std::optional<Options> parseOptions(int argc, char** argv, std::string* error)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        auto value = [&]() -> std::string_view { return argv[++i]; };
        if (arg == "--refuse-logins") {
            o.refuseLogins = true;
        } else if (!hasValue && arg.substr(0, 2) == "--") {
            *error = "missing value for " + std::string(arg);
            return std::nullopt;
        } else if (const NumberSwitch* number = numberSwitch(arg)) {
            if (!toInt(value(), number->low, number->high, &(o.*number->field))) {
                *error = std::string(arg) + " wants " + number->wants;
                return std::nullopt;
            }
        } else if (arg == "--data") {
            o.dataDir = value();
        } else if (arg == "--user") {
            o.user = value();
        } else if (arg == "--password") {
            o.password = value();
        } else if (arg == "--database") {
            o.databases.emplace_back(value());
            if (!Database::isValidName(o.databases.back())) {
                *error = "not a database name: " + o.databases.back();
                return std::nullopt;
            }
        } else if (arg == "--charset") {
            o.charset = value();
            if (!isKnownCharset(o.charset)) {
                *error = "unknown character set: " + o.charset;
                return std::nullopt;
            }
        } else if (arg == "--abort-tran-containing") {
            o.abortTranContaining = value();
            if (o.abortTranContaining.empty()) {
                *error = "--abort-tran-containing wants a text";
                return std::nullopt;
            }
        } else if (arg == "--reject-containing") {
            o.rejectContaining = value();
            if (o.rejectContaining.empty()) {
                *error = "--reject-containing wants a text";
                return std::nullopt;
            }
        } else {
            *error = "unknown argument: " + std::string(arg);
            return std::nullopt;
        }
    }
    if (o.dataDir.empty() || o.user.empty()) {
        *error = "--data and --user are required";
        return std::nullopt;
    }
    return o;
}

} // namespace sandbox
