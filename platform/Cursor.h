#pragma once

#include "Error.h"
#include "Variant.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tabulant::platform {

// One column of a result: its name, its ADO DataTypeEnum code and the value in the current row.
struct Field {
    std::string name;
    std::int16_t type = 0;
    Variant value;
};

// What a provider implements for one open result. The cursor starts on the first row (or at the
// end when there is none); fields() holds the values of the current row and is updated in place by
// moveNext(), so callers must not keep references to values across moves.
// Errors: platform::Error. Thread: the thread that opened it.
class Cursor {
public:
    virtual ~Cursor() = default;

    virtual std::vector<Field>& fields() = 0;
    virtual bool atEnd() const = 0;
    // The total number of rows, or -1 when the provider cannot tell without reading them all.
    virtual std::int64_t recordCount() const = 0;
    virtual void moveNext() = 0;
    // Damage the provider read around instead of failing (a field it gives as null in every row
    // because its stored values cannot be read), in the provider's own error form. Each is
    // handed out once: a later call returns only what was met since. Providers that never read
    // around damage keep this default.
    virtual std::vector<Error> takeWarnings() { return {}; }
};

} // namespace tabulant::platform
