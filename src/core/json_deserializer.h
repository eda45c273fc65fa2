#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "core/element_index.h"
#include "core/yield.h"

namespace marlin {

// The reader for the JSON texts the service returns. It is deliberately not a full
// parser: one scan records every object (name, level, parent, where it starts and
// ends) in a flat list, and element values are cut out of an object's own text by
// substring searches. The tweet set, the user set and the token request rely on the
// exact results of these searches, odd corners included.
//
// Positions count bytes of the UTF-8 text from 1; every structural character is
// ASCII, so results match a count in characters. Entry indexes run from 1 to
// ObjectCount(); index 0 and ObjectCount() + 1 are empty entries. Any other index
// given to a per-entry member throws std::out_of_range.
//
// A reader parses one text in its lifetime: Read once, right after construction.
//
// Memory: besides the text, 24 bytes or so per object. Names are parts of the text, and
// an object's own text is cut out when it is searched and kept only until another
// object's is needed (the record sets search one object after the other).
class JSONDeserializer {
  public:
    // No service page holds more records than this (the object list's first capacity).
    // The list itself grows past it, as a long page of tweets needs, but the record sets
    // refuse a page of more records: each costs hundreds of bytes, so a page of a few
    // million empty objects would take gigabytes.
    static constexpr int kMaxPageRecords = 9999;

    explicit JSONDeserializer(Yield yield);
    JSONDeserializer(const JSONDeserializer&) = delete;
    JSONDeserializer& operator=(const JSONDeserializer&) = delete;

    // With an empty name the number of entries, else the number of entries so named.
    int ObjectCount(const std::string& CObjectName = std::string()) const;
    std::string ObjectName(int Index) const;
    // ObjectName(Index) == name, without making the name's copy (the record sets ask it of
    // every entry of a page).
    bool ObjectNameIs(int Index, std::string_view name) const;
    std::uint8_t ObjectLevel(int Index) const;
    int ObjectParent(int Index) const;
    // The text strictly between the entry's braces. An entry never closed is taken to
    // run to the end of the text (and keeps that end from then on).
    std::string ObjectText(int Index) const;
    // Whether a closing brace of its own ended the entry (not the end of the text).
    bool ObjectClosed(int Index) const;

    // Scans the text and builds the object list. False when the text is shorter than 8
    // bytes (nothing built) or cannot be read on (entries built so far are kept).
    bool Read(const std::string& JSON, bool IgnoreTopLevel);
    // Read without taking a copy: the reader refers to the caller's text, which must
    // outlive it. For the record sets, whose reader lives for one call.
    bool ReadBorrowed(std::string_view JSON, bool IgnoreTopLevel);

    // The first element of that name in the entry's own text as a bare value text;
    // empty when there is none.
    std::string GetElementInObject(int ObjectIndex, const std::string& ElementName) const;
    // Every element of that name in the entry's own text: slot 0 empty, slots 1..m the
    // values in text order; an empty list when there is no match.
    std::vector<std::string> GetAllElementsInObject(int ObjectIndex, const std::string& ElementName) const;
    // The index of the Index-th entry so named, or 0 (also when it is the last entry).
    int ObjectIndex(const std::string& ObjectName, int Index) const;
    // The last entry of the run of deeper entries that follows ObjectIndex, or 0.
    int LastChild(int ObjectIndex) const;

    // The searches below never run past the entry's own closing brace. They differ from
    // the ones above only for an entry whose end a later stray "}" moved: with
    // IgnoreTopLevel the outermost closing brace moves entry 1's end to the end of the
    // text, so its own text holds every later object as well.

    // GetElementInObject within the entry's own braces.
    std::string GetElementWithinObject(int ObjectIndex, const std::string& ElementName) const;
    // GetElementWithinObject, but an escaped quote keeps its quote beside its backslash,
    // so that the text's clean-up can decode the escape rather than guess at a lone
    // backslash.
    std::string GetTextWithinObject(int ObjectIndex, const std::string& ElementName) const;
    // The last element of that name within the entry's own braces; empty when none.
    std::string GetLastElementInObject(int ObjectIndex, const std::string& ElementName) const;

    // The entry's own text: its text without the texts of its directly following children.
    std::string OwnText(int Index) const;

    // What the element searches make of a value's text, from its first byte up to the
    // terminator they stop at: quotes and "[" dropped; with keepEscapedQuotes, as
    // GetTextWithinObject gives it.
    static std::string ValueText(std::string_view part, bool keepEscapedQuotes = false);

  private:
    struct Entry {
        std::uint32_t nameAt = 0;  // the name is this part of the text
        std::uint32_t nameSize = 0;
        int parent = 0;
        int start = 0;
        int end = 0;  // where ObjectText ends; a later stray "}" may move it
        std::uint8_t level = 0;
        bool closed = false;
    };
    // An own text cut out for one entry, kept while that entry is searched, with the
    // index its searches go through.
    struct SearchedText {
        int index = -1;
        std::string storage;    // the own text, when children had to be cut out of it
        std::string_view text;  // the own text: storage, or a part of the source
        ElementIndex elements;
    };

    using LevelIndex = std::array<int, 256>;

    void CheckIndex(int index) const;
    bool Scan(bool ignoreTopLevel);
    bool NameFor(int braceAt, int lastBrace, std::string_view& name, bool& keyed) const;
    static int ParentFor(int index, std::uint8_t level, const LevelIndex& lastAtLevel);
    std::string_view NameOf(const Entry& entry) const;
    std::string_view TextView(int index) const;
    void CutOwnText(int index, int end, SearchedText& own) const;
    SearchedText& CachedOwnText(int index) const;
    SearchedText& BoundedOwnText(int index) const;
    static ElementIndex::Search SearchFor(SearchedText& own, std::string_view ElementName);
    std::string ElementIn(SearchedText& own, const std::string& ElementName,
                          bool keepEscapedQuotes = false) const;
    static std::vector<std::string> AllElementsIn(SearchedText& own, const std::string& ElementName);

    Yield m_yield;
    std::string m_storage;  // the text, when Read took a copy
    std::string_view m_text;
    // 0..count+1 after Read; ObjectText may fix an end. In blocks, so that a long list
    // grows without a moment of holding it twice.
    mutable std::deque<Entry> m_entries;
    // Only entry 1 can take a closing brace after its own (the outermost one, or a stray
    // one): where its own brace was, 0 while it has none.
    int m_entryOneFirstEnd = 0;
    mutable SearchedText m_ownText;
    mutable SearchedText m_boundedOwnText;  // cut at entry 1's first closing brace
    mutable SearchedText m_noText;          // of the empty entries at both ends
    int m_count = 0;
};

}  // namespace marlin
