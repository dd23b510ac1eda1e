#pragma once

#include "SqlLexer.h"

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace sandbox {

// ASE with its default (binary) sort order tells names apart by case: [T] and [t] are two
// tables, [A] and [a] two columns. SQLite does not. So a name is stored in SQLite as the client
// wrote it unless a name differing from it only in case is already there; then it is stored
// escaped: each upper-case letter after a '^', '^' doubled, one '^' at the end. No two stored
// names are then equal ignoring case, and names without '^' (nearly all) are stored as written.
std::string escapedName(std::string_view name);
// The name as the client wrote it: an escaped name undone; any other text is itself.
std::string clientName(std::string_view stored);
// `text` with every escaped name in it undone; names are the runs between blanks, dots and
// commas, as SQLite's messages list them ("t.a, t.b").
std::string clientNamesIn(std::string_view text);

// The names a database holds (tables, views, indexes, triggers, columns) and how each is stored.
class StoredNames
{
public:
    // Names the client's statement adds are kept apart from the database's own.
    explicit StoredNames(const StoredNames* database = nullptr) : m_database(database) {}
    // A name as SQLite holds it.
    void addStored(const std::string& stored);
    // A column of ASE's catalogue views (syscolumns.name ...), for a statement reading them:
    // known as written, yet it makes no new name differing from it in case stored escaped.
    // A stored name wins.
    void addCatalogueName(const std::string& name);
    // How `name` is stored: as it is when known so, or when nothing differing only in case is
    // known; escaped otherwise. A new name is remembered, so [A] and [a] of one CREATE TABLE
    // are stored apart, and a wrong-case reference names nothing.
    std::string storedFor(std::string_view name);

private:
    const std::string* known(std::string_view name) const;
    bool caseVariantKnown(const std::string& folded) const;

    const StoredNames* m_database;
    std::map<std::string, std::string, std::less<>> m_stored; // client name -> stored name
    std::set<std::string, std::less<>> m_folded;              // client names in lower case
};

// Whether a Word or QuotedName token of a statement for SQLite names an object (table, column,
// alias) rather than being a keyword, function, type or collation. `previous` and `next` are
// the significant tokens around it; `definesColumns` says the statement is CREATE or ALTER.
bool isObjectName(const SqlToken& t, const SqlToken* previous, const SqlToken* next,
                  bool definesColumns);

// The name a Word or QuotedName token stands for: brackets and quotes removed.
std::string nameOf(const SqlToken& t);

// The token as SQLite must read it: itself when its name is stored as written, the stored
// name quoted otherwise.
std::string storedNameText(const SqlToken& t, StoredNames& names);

} // namespace sandbox
