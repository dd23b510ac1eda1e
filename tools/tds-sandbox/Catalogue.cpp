#include "Catalogue.h"

#include "AseTypes.h"

#include <sqlite3.h>
#include <vector>

namespace sandbox {

namespace {
constexpr const char* SyscolumnsView =
    "create temp view syscolumns as select m.rowid as id, client_name(p.name) as name, "
    "p.cid + 1 as colid, ase_type_attribute(p.type, 'usertype') as usertype, "
    "ase_type_attribute(p.type, 'length') as length, ase_type_attribute(p.type, 'prec') as "
    "prec, ase_type_attribute(p.type, 'scale') as scale, "
    "case when p.\"notnull\" then 0 else 8 end as status "
    "from main.sqlite_master m, pragma_table_info(m.name) p "
    "where m.type = 'table' and m.name not like 'sqlite\\_%' escape '\\'";

void resultOptional(sqlite3_context* context, const std::optional<int>& value)
{
    if (value)
        sqlite3_result_int(context, *value);
    else
        sqlite3_result_null(context);
}

// ase_type_attribute(declared type, 'usertype' | 'length' | 'prec' | 'scale')
void typeAttribute(sqlite3_context* context, int, sqlite3_value** argv)
{
    const auto* decl = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const auto* field = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const AseType type = aseTypeOf(decl ? decl : "");
    const std::string_view which = field ? field : "";
    if (which == "usertype")
        sqlite3_result_int(context, type.userType);
    else if (which == "length")
        sqlite3_result_int(context, type.length);
    else if (which == "prec")
        resultOptional(context, type.precision);
    else if (which == "scale")
        resultOptional(context, type.scale);
    else
        sqlite3_result_null(context);
}

// object_id(name): the id sysobjects gives the table or view, NULL for an unknown name.
void objectId(sqlite3_context* context, int, sqlite3_value** argv)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const auto* databaseName = static_cast<const std::string*>(sqlite3_user_data(context));
    const std::string table = text ? objectIdTable(text, *databaseName) : std::string();
    sqlite3_stmt* stmt = nullptr;
    if (table.empty() ||
        sqlite3_prepare_v2(sqlite3_context_db_handle(context),
                           "select rowid from main.sqlite_master where type in ('table', "
                           "'view') and client_name(name) = ?",
                           -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        sqlite3_result_null(context);
        return;
    }
    sqlite3_bind_text(stmt, 1, table.c_str(), int(table.size()), SQLITE_STATIC);
    if (sqlite3_step(stmt) == SQLITE_ROW)
        sqlite3_result_int64(context, sqlite3_column_int64(stmt, 0));
    else
        sqlite3_result_null(context);
    sqlite3_finalize(stmt);
}

// The dot-separated parts of a name. A name given as a string needs no delimiters, and ASE
// strips none from it: '[t]' names a table called [t], not t.
std::vector<std::string_view> nameParts(std::string_view name)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t dot = name.find('.'); dot != std::string_view::npos; dot = name.find('.', start)) {
        parts.push_back(name.substr(start, dot - start));
        start = dot + 1;
    }
    parts.push_back(name.substr(start));
    return parts;
}
} // namespace

std::string objectIdTable(std::string_view name, std::string_view databaseName)
{
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    const std::vector<std::string_view> parts = nameParts(name);
    if (parts.size() > 3)
        return {};
    if (parts.size() == 3 && parts[0] != databaseName)
        return {}; // another database's tables are not seen from this one
    return std::string(parts.back());
}

bool installCatalogue(sqlite3* db, const std::string& databaseName, std::string* error)
{
    sqlite3_create_function_v2(db, "ase_type_attribute", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                               nullptr, typeAttribute, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "object_id", 1, SQLITE_UTF8, new std::string(databaseName),
                               objectId, nullptr, nullptr,
                               [](void* p) { delete static_cast<std::string*>(p); });
    const std::string systypes = "create temp view systypes as select column1 as usertype, "
                                 "column2 as name from (" +
                                 systypesRows() + ")";
    for (const char* sql : {SyscolumnsView, systypes.c_str()})
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            if (error)
                *error = sqlite3_errmsg(db);
            return false;
        }
    return true;
}

} // namespace sandbox
