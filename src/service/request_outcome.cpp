#include "service/request_outcome.h"

namespace marlin {

bool RequestOutcome::V11AccessRefused() const {
    return responseCode.ends_with(kV11NotInAccess);
}

}  // namespace marlin
