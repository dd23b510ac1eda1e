#include "AseErrors.h"

#include "CreateTableItems.h"
#include "ObjectNames.h"
#include "SqlLexer.h"

namespace sandbox {

namespace {
ServerMessage make(int number, uint8_t severity, std::string text)
{
    return ServerMessage{number, 1, severity, std::move(text) + "\n"};
}

bool startsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

// The text between the first pair of double quotes, or after the prefix.
std::string_view afterPrefix(std::string_view s, std::string_view prefix)
{
    return s.substr(prefix.size());
}

std::string_view quotedPart(std::string_view s)
{
    const size_t open = s.find('"');
    const size_t close = open == std::string_view::npos ? open : s.find('"', open + 1);
    if (close == std::string_view::npos)
        return s;
    return s.substr(open + 1, close - open - 1);
}

std::string firstWord(std::string_view statement)
{
    for (const SqlToken& t : lexSql(statement))
        if (t.isSignificant())
            return lowerAscii(t.text);
    return {};
}
} // namespace

ServerMessage aseMessageFor(std::string_view sqliteText, std::string_view statement)
{
    // SQLite names objects as it stores them; the client knows them as it wrote them.
    const std::string named = clientNamesIn(sqliteText);
    const std::string_view text = named;
    if (startsWith(text, "no such table: ")) {
        const std::string name(afterPrefix(text, "no such table: "));
        if (firstWord(statement) == "drop")
            return make(3701, 11,
                        "Cannot drop the table '" + name +
                            "', because it doesn't exist in the system catalogs.");
        return make(208, 16,
                    name + " not found. Specify owner.objectname or use sp_help to check whether "
                           "the object exists "
                           "(sp_help may produce lots of output).");
    }
    if (startsWith(text, "no such column: "))
        return make(207, 16,
                    "Invalid column name '" + std::string(afterPrefix(text, "no such column: ")) +
                        "'.");
    for (std::string_view kind : {"table ", "view ", "index ", "trigger "}) {
        const size_t exists = text.find(" already exists");
        if (startsWith(text, kind) && exists != std::string_view::npos) {
            const std::string name(text.substr(kind.size(), exists - kind.size()));
            return make(2714, 16,
                        "There is already an object named '" + name + "' in the database.");
        }
    }
    if ((text.find(" values were supplied") != std::string_view::npos) ||
        (text.find(" values for ") != std::string_view::npos &&
         text.find(" columns") != std::string_view::npos))
        return make(213, 16,
                    "Insert error: column name or number of supplied values does not match table "
                    "definition.");
    if (text.find("syntax error") != std::string_view::npos ||
        startsWith(text, "unrecognized token"))
        return make(102, 15, "Incorrect syntax near '" + std::string(quotedPart(text)) + "'.");
    if (text == "incomplete input")
        return make(102, 15, "Incorrect syntax near the end of the statement.");
    if (startsWith(text, "NOT NULL constraint failed: ")) {
        const std::string_view column = afterPrefix(text, "NOT NULL constraint failed: ");
        const size_t dot = column.find('.');
        const std::string table(dot == std::string_view::npos ? std::string_view()
                                                              : column.substr(0, dot));
        const std::string name(dot == std::string_view::npos ? column : column.substr(dot + 1));
        return make(233, 16,
                    "The column " + name + " in table " + table + " does not allow null values.");
    }
    if (startsWith(text, "UNIQUE constraint failed: ") ||
        startsWith(text, "PRIMARY KEY constraint failed"))
        return make(2601, 14, "Attempt to insert duplicate key row: " + std::string(text) + ".");
    return make(50000, 16, std::string(text));
}

ServerMessage loginFailed()
{
    return make(4002, 14, "Login failed.");
}

ServerMessage noUserConnections()
{
    return make(1601, 17,
                "There are not enough 'user connections' available to start a new process. Retry "
                "when there are more 'user connections' available, or ask your System "
                "Administrator to reconfigure ASE with more 'user connections'.");
}

ServerMessage noSuchDatabase(std::string_view name)
{
    return make(
        911, 11,
        "Attempt to locate entry in sysdatabases for database '" + std::string(name) +
            "' by name failed - no entry found under that name. Make sure that the name is entered "
            "properly.");
}

ServerMessage databaseExists(std::string_view name)
{
    return make(1801, 16, "Database '" + std::string(name) + "' already exists.");
}

ServerMessage rejectedStatement(std::string_view needle)
{
    return make(50001, 16,
                "The sandbox rejects statements containing '" + std::string(needle) + "'.");
}

ServerMessage duplicateKey(std::string_view object, std::string_view index)
{
    std::string text = "Attempt to insert duplicate key row in object '";
    text += object;
    text += "' with unique index '";
    text += index;
    text += "'";
    return make(2601, 14, std::move(text));
}

ServerMessage unsupported(std::string_view what)
{
    return make(50002, 16, "The sandbox does not support " + std::string(what) + ".");
}

ServerMessage notAllowedInTransactionHere(std::string_view command, std::string_view database)
{
    return make(2762, 16,
                "The '" + std::string(command) +
                    "' command is not allowed within a multi-statement transaction in the '" +
                    std::string(database) + "' database.");
}

ServerMessage notAllowedInTransaction(std::string_view command)
{
    return make(226, 16,
                std::string(command) + " command not allowed within multi-statement transaction.");
}

ServerMessage deadlockVictim(int spid)
{
    return make(1205, 13,
                "Your server command (family id #0, process id #" + std::to_string(spid) +
                    ") encountered a deadlock situation. Please re-run your command.");
}

ServerMessage identifierTooLong(std::string_view name, size_t limit)
{
    return make(103, 15,
                "The identifier that starts with '" + std::string(name.substr(0, limit)) +
                    "' is too long. Maximum length is " + std::to_string(limit) + ".");
}

ServerMessage tooManyColumns(size_t columns)
{
    return make(1702, 16,
                "Create table failed because the table would have " + std::to_string(columns) +
                    " columns; the maximum is " + std::to_string(MaxColumns) + ".");
}

ServerMessage tooManyVariableColumns(std::string_view createTable)
{
    // The table's name is the last name before its column list: "db..T (" names T.
    const std::vector<SqlToken> tokens = lexSql(createTable);
    std::string table;
    for (const SqlToken& t : tokens) {
        if (t.text == "(")
            break;
        if (t.kind == SqlToken::Word || t.kind == SqlToken::QuotedName)
            table = nameOf(t);
    }
    return make(1767, 16,
                "Number of variable length columns exceeds limit of " +
                    std::to_string(MaxAllpagesVariableColumns) +
                    " for allpage locked tables. CREATE TABLE for '" + table + "' failed.");
}

ServerMessage implicitConversion(std::string_view from, std::string_view to)
{
    return make(257, 16,
                "Implicit conversion from datatype '" + std::string(from) + "' to '" +
                    std::string(to) +
                    "' is not allowed.  Use the CONVERT function to run this query.");
}

ServerMessage arithmeticOverflow(std::string_view from, std::string_view value, std::string_view to)
{
    return make(247, 16,
                "Arithmetic overflow during implicit conversion of " + std::string(from) +
                    " value '" + std::string(value) + "' to a " + std::string(to) + " field .");
}

ServerMessage scaleError(std::string_view from, std::string_view value, std::string_view to)
{
    return make(241, 16,
                "Scale error during implicit conversion of " + std::string(from) + " value '" +
                    std::string(value) + "' to a " + std::string(to) + " field.");
}

ServerMessage conversionSyntax(std::string_view from, std::string_view value, std::string_view to)
{
    return make(249, 16,
                "Syntax error during implicit conversion of " + std::string(from) + " value '" +
                    std::string(value) + "' to a " + std::string(to) + " field.");
}

ServerMessage stringTruncated()
{
    return make(9502, 16, "Data truncation error occurred.");
}

} // namespace sandbox
