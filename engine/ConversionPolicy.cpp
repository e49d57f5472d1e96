#include "ConversionPolicy.h"

#include "SpecifiedPolicy.h"

namespace tabulant::engine {

std::unique_ptr<ConversionPolicy> MakePolicy(PolicyKind kind, const PolicyServices& services) {
    switch (kind) {
    case PolicyKind::Specified:
        break;
    }
    return std::make_unique<SpecifiedPolicy>(services);
}

} // namespace tabulant::engine
