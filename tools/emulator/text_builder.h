#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/tweet.h"

namespace marlin::emulator {

// Assembles a tweet text piece by piece and records where its entities sit. Like the service, it counts
// code points of the text as the reader sees it: "&amp;" in the sent text is one character.
class TextBuilder {
  public:
    void Append(std::string_view utf8);
    MentionEntity AppendMention(int user, std::string_view atName);
    HashtagEntity AppendHashtag(std::string_view tag);
    // A t.co link (its code derived from the hash) to `expanded`.
    UrlEntity AppendLink(uint64_t hash, const std::string& expanded);

    const std::string& Text() const { return m_text; }
    int Length() const { return m_length; }

    static int CodePoints(std::string_view utf8);
    // Code points of an HTML-escaped text once "&amp;", "&lt;" and "&gt;" are read as one character each.
    static int ShownLength(std::string_view escaped);
    // Where each code point of an HTML-escaped text begins, counted as ShownLength counts them, and the
    // text's size last: element k is the byte offset of code point k.
    static std::vector<size_t> ShownOffsets(std::string_view escaped);
    // The byte offset of code point n alone (the text's size when it has no more).
    static size_t ShownOffset(std::string_view escaped, int n);
    // "&" "<" ">" as the service writes them inside texts.
    static std::string EscapeHtml(std::string_view text);
    // Letters and digits, as in t.co codes and image names.
    static std::string ShortCode(uint64_t hash, int length);
    // The shortened form of a link: no scheme or "www.", at most 26 characters and an ellipsis.
    static std::string DisplayUrl(const std::string& expanded);

  private:
    std::string m_text;
    int m_length = 0;
};

}  // namespace marlin::emulator
