#include "RunnerCommandLine.h"

#include "SameFile.h"
#include "TextDecoding.h"

#include <QCommandLineParser>

namespace {
struct Options
{
    QCommandLineOption server{QStringLiteral("server"), {}, QStringLiteral("text")};
    QCommandLineOption port{
        QStringLiteral("port"), {}, QStringLiteral("text"), QStringLiteral("5000")};
    QCommandLineOption user{QStringLiteral("user"), {}, QStringLiteral("text")};
    QCommandLineOption database{QStringLiteral("database"), {}, QStringLiteral("text")};
    QCommandLineOption table{QStringLiteral("table"), {}, QStringLiteral("pattern")};
    QCommandLineOption columnNames{QStringLiteral("column-names"), {}, QStringLiteral("names")};
    QCommandLineOption append{QStringLiteral("append"), {}, QStringLiteral("table")};
    QCommandLineOption skipHeader{QStringLiteral("skip-header")};
    QCommandLineOption separator{
        QStringLiteral("separator"), {}, QStringLiteral("text"), QStringLiteral(",")};
    QCommandLineOption encoding{QStringLiteral("encoding"), {}, QStringLiteral("name")};
    QCommandLineOption quote{QStringLiteral("quote"), {}, QStringLiteral("char")};
    QCommandLineOption errors{QStringLiteral("errors"), {}, QStringLiteral("file")};
    QCommandLineOption quiet{QStringLiteral("quiet")};
    QCommandLineOption verbose{QStringLiteral("verbose")};
    QCommandLineOption nullText{QStringLiteral("null"), {}, QStringLiteral("text")};
    QCommandLineOption batch{QStringLiteral("batch"), {}, QStringLiteral("n")};
    QCommandLineOption columnTypes{
        QStringLiteral("column-types"), {}, QStringLiteral("kind"), QStringLiteral("text")};
    QCommandLineOption bulk{QStringLiteral("bulk")};
    QCommandLineOption noBulk{QStringLiteral("no-bulk")};
    QCommandLineOption help{QStringList{QStringLiteral("help"), QStringLiteral("h")}};
    QCommandLineOption version{QStringLiteral("version")};

    void addTo(QCommandLineParser& parser) const
    {
        parser.addOptions({server, port,       user,      database,    table,    columnNames,
                           append, skipHeader, separator, encoding,    quote,    errors,
                           quiet,  verbose,    batch,     columnTypes, nullText, bulk,
                           noBulk, help,       version});
    }
};

// The parsed arguments and the options they were parsed against, checked one concern at a time.
class Checks
{
public:
    Checks(const QCommandLineParser& parser, const Options& options, RunnerRequest& request)
        : m_parser(parser), m_o(options), m_request(request)
    {
    }

    // The problem with the command line, or an empty text when there is none; the checks run
    // in this order so that the first problem met is the one reported.
    QString firstProblem()
    {
        for (QString (Checks::*check)() : {&Checks::modes, &Checks::batch, &Checks::files,
                                           &Checks::reading, &Checks::errorsFile})
            if (QString problem = (this->*check)(); !problem.isEmpty())
                return problem;
        return {};
    }

private:
    bool isSet(const QCommandLineOption& option) const { return m_parser.isSet(option); }
    QString value(const QCommandLineOption& option) const { return m_parser.value(option); }

    QString modes()
    {
        if (isSet(m_o.append) && (isSet(m_o.table) || isSet(m_o.columnNames)))
            return QStringLiteral("--append cannot be combined with --table or --column-names");
        if (!isSet(m_o.append) && isSet(m_o.skipHeader))
            return QStringLiteral("--skip-header belongs to --append");
        if (value(m_o.separator).isEmpty())
            return QStringLiteral("--separator cannot be empty: every line would be one field");
        const QString typing = value(m_o.columnTypes);
        if (typing != QStringLiteral("text") && typing != QStringLiteral("infer"))
            return QStringLiteral("--column-types is text or infer");
        if (isSet(m_o.append) && isSet(m_o.columnTypes))
            return QStringLiteral("--column-types belongs to new tables, not --append");
        m_request.importOptions.columnTyping =
            typing == QStringLiteral("infer") ? ColumnTyping::Inferred : ColumnTyping::Text;
        if (isSet(m_o.bulk) && isSet(m_o.noBulk))
            return QStringLiteral("--bulk and --no-bulk cannot be combined");
        if (isSet(m_o.bulk))
            m_request.importOptions.bulkCopy = BulkCopy::AlsoAppended;
        else if (isSet(m_o.noBulk))
            m_request.importOptions.bulkCopy = BulkCopy::Never;
        return {};
    }

    QString batch()
    {
        if (!isSet(m_o.batch))
            return {};
        bool ok = false;
        m_request.rowsPerBatch = value(m_o.batch).toInt(&ok);
        if (!ok || m_request.rowsPerBatch < 1)
            return QStringLiteral("--batch wants a number of rows, 1 or more");
        return {};
    }

    QString files()
    {
        m_request.files = m_parser.positionalArguments();
        if (m_request.files.isEmpty())
            return QStringLiteral("no files given");
        if (m_request.files.count(QStringLiteral("-")) > 1)
            return QStringLiteral("- (standard input) can be given once");
        return {};
    }

    QString reading()
    {
        if (isSet(m_o.encoding) && !TextDecoding::isKnown(value(m_o.encoding)))
            return QStringLiteral("unknown encoding: %1").arg(value(m_o.encoding));
        if (!isSet(m_o.quote))
            return {};
        const QString quote = value(m_o.quote);
        if (quote.size() != 1 || quote.at(0).isSurrogate())
            return QStringLiteral("--quote wants one character");
        if (value(m_o.separator).contains(quote))
            return QStringLiteral("the --quote character cannot be part of the separator");
        m_request.quote = quote.at(0);
        return {};
    }

    // The errors file may overwrite neither an input nor the embedded database.
    QString errorsFile()
    {
        if (!isSet(m_o.errors))
            return {};
        const QString database = EmbeddedDatabasePath(value(m_o.server)).value_or(QString());
        return ErrorsFileConflict(value(m_o.errors), m_request.files, database);
    }

    const QCommandLineParser& m_parser;
    const Options& m_o;
    RunnerRequest& m_request;
};

std::optional<QString> valueIfSet(const QCommandLineParser& parser,
                                  const QCommandLineOption& option)
{
    return parser.isSet(option) ? std::optional(parser.value(option)) : std::nullopt;
}

// Fills in what the checks left: the connection, the import's options and the reporting.
void takeValues(const QCommandLineParser& parser, const Options& o, RunnerRequest& request)
{
    request.connection =
        ConnectionSettings{parser.value(o.server), parser.value(o.port), parser.value(o.user),
                           QString(), parser.value(o.database)};
    ImportOptions& values = request.importOptions;
    values.separator = parser.value(o.separator);
    if (parser.isSet(o.table))
        values.tableName = parser.value(o.table);
    if (parser.isSet(o.columnNames)) {
        values.firstLineHandling = FirstLineHandling::IgnoreWithUserNames;
        request.promptAnswers = parser.value(o.columnNames).split(QLatin1Char(','));
    }
    request.appendTarget = valueIfSet(parser, o.append);
    if (request.appendTarget) {
        values.mode = ImportMode::AppendToExisting;
        values.ignoreHeaderRow = parser.isSet(o.skipHeader);
    }
    request.encoding = parser.value(o.encoding);
    request.errorsPath = valueIfSet(parser, o.errors);
    request.quiet = parser.isSet(o.quiet);
    request.verbose = parser.isSet(o.verbose);
    request.nullText = valueIfSet(parser, o.nullText);
}
} // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const Options o;
    o.addTo(parser);
    ParsedCommandLine parsed;
    if (!parser.parse(arguments)) {
        parsed.problem = parser.errorText();
        return parsed;
    }
    if (parser.isSet(o.help) || parser.isSet(o.version)) {
        parsed.action =
            parser.isSet(o.help) ? CommandLineAction::ShowHelp : CommandLineAction::ShowVersion;
        return parsed;
    }
    parsed.problem = Checks(parser, o, parsed.request).firstProblem();
    if (!parsed.problem.isEmpty())
        return parsed;
    takeValues(parser, o, parsed.request);
    parsed.action = CommandLineAction::Run;
    return parsed;
}
