#include "Variant.h"

namespace tabulant::platform {

bool operator==(const Variant& a, const Variant& b) {
    if (a.kind_ != b.kind_) return false;
    switch (a.kind_) {
    case Variant::Kind::Null:
        return true;
    case Variant::Kind::Boolean:
    case Variant::Kind::Integer:
    case Variant::Kind::Currency:
        return a.i_ == b.i_;
    case Variant::Kind::Single:
    case Variant::Kind::Double:
    case Variant::Kind::Date:
        return a.d_ == b.d_;
    case Variant::Kind::Decimal:
    case Variant::Kind::Text:
    case Variant::Kind::Binary:
        return a.s_ == b.s_;
    }
    return false;
}

} // namespace tabulant::platform
