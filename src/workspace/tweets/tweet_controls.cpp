#include "workspace/tweets/tweet_controls.h"

#include "workspace/engine/capture_request.h"

namespace marlin {

std::string TweetControls::ThresholdDateText() const {
    // Written as the captures write it in their notes.
    CaptureRequest request;
    request.backTo = EarlyDate.Value();
    return request.ThresholdDateText();
}

}  // namespace marlin
