#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/tweet.h"

namespace marlin::emulator {

// One user profile as the corpus generates it.
struct Account {
    int index = -1;
    uint64_t id = 0;
    std::string screenName;
    std::string name;
    std::string location;
    std::string description;
    std::optional<UrlEntity> url;            // the profile's link
    std::vector<UrlEntity> descriptionUrls;  // links inside the description
    bool isProtected = false;
    bool verified = false;
    bool geoEnabled = false;
    bool hasBanner = false;
    bool defaultProfile = true;
    bool defaultProfileImage = false;
    bool hasExtendedProfile = false;
    bool useBackgroundImage = true;
    int followers = 0;
    int friends = 0;
    int listed = 0;
    int favourites = 0;
    int statuses = 0;
    int64_t createdAt = 0;  // seconds since 1970 UTC
    std::optional<int> utcOffset;
    std::string timeZone;  // empty when utcOffset is unset
    std::string backgroundColor;
    std::string linkColor;
    std::string sidebarBorderColor;
    std::string sidebarFillColor;
    std::string textColor;
    std::string backgroundImageUrl;  // http form; empty = none
    bool backgroundTile = false;
    std::string translatorType = "none";
    std::string imageUrl;   // http form of the profile image
    std::string bannerUrl;  // empty without a banner
};

}  // namespace marlin::emulator
