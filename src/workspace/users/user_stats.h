#pragma once

#include <cstdint>
#include <string>

namespace marlin {

// What the User table derives for one user, from the Tweets table (the first six fields)
// or from a timeline sample (PctRT to BDayTwts). A fresh record holds zeros and empty
// texts. An average over no tweets is NaN, so that its cell stays empty instead of
// showing a zero the user never earned.
struct UserStats {
    std::int32_t NoTwts = 0;
    float AvSentPos = 0;
    float AvSentNeg = 0;
    float PctRT = 0;
    float AvRT = 0;
    std::int32_t MaxRT = 0;
    float PctGeo = 0;
    float TwtDay = 0;
    std::string TwtSample;  // original tweets of the sample, each followed by "|"
    std::string BDayTwts;   // original tweets that mention a birthday, each followed by "|"
};

}  // namespace marlin
