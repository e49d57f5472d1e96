#pragma once

#include "db/ConnectionFields.h"
#include "platform/StringList.h"

#include <string>
#include <string_view>

namespace tabulant::engine {

// What the conversion run reads from and drives on the main window (Form1). The window reads its
// controls at the moment each call is made.
class MainWindowPort : public db::ConnectionFields {
public:
    virtual bool PreviewEnabled() const = 0;     // Check1 has value 1
    virtual bool Option1Selected() const = 0;    // "Show SQL Preview For Each File"
    virtual bool Option2Selected() const = 0;    // "Show SQL Preview For Each Table"
    virtual platform::StringList& List1() = 0;   // tables that exist in PostgreSQL
    virtual platform::StringList& List2() = 0;   // tables of the Access file
    virtual void SetMousePointer(int state) = 0; // 0 default, 11 busy, 99 hand
    virtual void SetProgressValue(int percent) = 0;
    virtual void SetProgressText(std::string_view text) = 0;
};

// The preview window (Form2) and the datatype list (Form5) as the run sees them.
class PreviewPort {
public:
    virtual ~PreviewPort() = default;
    virtual void ClearPreviewList() = 0;
    virtual void AddPreviewLine(std::string line) = 0;
    virtual void ClearDatatypeConversionList() = 0;
    // Appends a row whose first column is the table and second the field name.
    virtual void AddDatatypeRow(std::string_view table, std::string_view field) = 0;
    // Sets the third and fourth column of the last row.
    virtual void SetLastDatatypeRow(std::string_view accessType, std::string_view postgresType) = 0;
    // Shows the preview window modally over the main window; returns when it has closed.
    virtual void ShowPreview() = 0;
};

} // namespace tabulant::engine
