#include "ConversionPolicy.h"

#include "SpecifiedPolicy.h"
#include "typed/TypedPolicy.h"

namespace tabulant::engine {

std::unique_ptr<ConversionPolicy> MakePolicy(PolicyKind kind, const PolicyServices& services) {
    switch (kind) {
    case PolicyKind::Specified:
        break;
    case PolicyKind::Typed:
        return std::make_unique<typed::TypedPolicy>(services);
    }
    return std::make_unique<SpecifiedPolicy>(services);
}

} // namespace tabulant::engine
