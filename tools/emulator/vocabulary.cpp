#include "emulator/vocabulary.h"

#include <array>

namespace marlin::emulator {

namespace {

using sv = std::string_view;

constexpr std::array kEnglish{
    sv("the"),     sv("a"),        sv("and"),      sv("of"),       sv("to"),       sv("in"),
    sv("is"),      sv("it"),       sv("for"),      sv("on"),       sv("with"),     sv("this"),
    sv("that"),    sv("we"),       sv("you"),      sv("our"),      sv("new"),      sv("today"),
    sv("great"),   sv("study"),    sv("report"),   sv("people"),   sv("time"),     sv("city"),
    sv("news"),    sv("research"), sv("public"),   sv("library"),  sv("weather"),  sv("morning"),
    sv("evening"), sv("coffee"),   sv("music"),    sv("game"),     sv("team"),     sv("win"),
    sv("love"),    sv("happy"),    sv("week"),     sv("weekend"),  sv("just"),     sv("read"),
    sv("paper"),   sv("results"),  sv("survey"),   sv("analysis"), sv("students"), sv("school"),
    sv("health"),  sv("climate"),  sv("energy"),   sv("policy"),   sv("vote"),     sv("election"),
    sv("market"),  sv("prices"),   sv("food"),     sv("travel"),   sv("train"),    sv("late"),
    sv("again"),   sv("really"),   sv("good"),     sv("bad"),      sv("best"),     sv("worst"),
    sv("thanks"),  sv("everyone"), sv("join"),     sv("us"),       sv("live"),     sv("now"),
    sv("look"),    sv("at"),       sv("what"),     sv("how"),      sv("why"),      sv("who"),
    sv("science"), sv("museum"),   sv("open"),     sv("free"),     sv("event"),    sv("talk"),
    sv("online"),  sv("video"),    sv("photo"),    sv("story"),    sv("local"),    sv("community"),
    sv("project"), sv("update"),   sv("launch"),   sv("beta"),     sv("code"),     sv("software"),
    sv("model"),   sv("sample"),   sv("twitter"),  sv("marlin"),   sv("sea"),      sv("fishing"),
    sv("river"),   sv("park"),     sv("rain"),     sv("sun"),      sv("snow"),     sv("cold"),
    sv("hot"),     sv("summer"),   sv("winter"),   sv("spring"),   sv("autumn"),   sv("night"),
    sv("dinner"),  sv("lunch"),    sv("friends"),  sv("family"),   sv("home"),     sv("work"),
    sv("office"),  sv("meeting"),  sv("deadline"), sv("finally"),  sv("done"),     sv("ready"),
    sv("wow"),     sv("amazing"),  sv("awful"),    sv("funny"),    sv("sad"),      sv("angry"),
    sv("calm"),    sv("busy"),     sv("quiet"),    sv("loud"),     sv("early"),    sv("tomorrow"),
};

constexpr std::array kHashtags{
    sv("OpenData"), sv("research"),          sv("Marlin"),  sv("MondayMotivation"),
    sv("python"),   sv("SocialScience"),     sv("twitter"), sv("news"),
    sv("weather"),  sv("ThrowbackThursday"), sv("science"), sv("election"),
};

// Astral-plane emoji travel as surrogate pairs; the heart is in the basic plane with a variation selector.
constexpr std::array kEmoji{
    sv("\U0001F600"), sv("\U0001F602"), sv("\u2764\uFE0F"), sv("\U0001F44D"),   sv("\U0001F389"),
    sv("\U0001F525"), sv("\U0001F64F"), sv("\U0001F60D"),   sv("\u2600\uFE0F"), sv("\U0001F1EC\U0001F1E7"),
};

constexpr std::array kAwkward{
    sv("salt &amp; pepper"),
    sv("R&amp;D budget"),
    sv("she said \"not again\""),
    sv("the \"best\" idea"),
    sv("config {debug: true}"),
    sv("{braces} inside"),
    sv("I &lt;3 it"),
    sv("a &gt; b"),
    sv("path C:\\temp\\notes"),
    sv("{\"key\": \"value\"}"),
};

constexpr std::array kGreek{
    sv("Καλημέρα από την Αθήνα"), sv("Ο καιρός είναι υπέροχος σήμερα"), sv("Διαβάζω ένα καλό βιβλίο"),
    sv("Ευχαριστώ πολύ φίλοι"),   sv("Νέα έρευνα για το κλίμα"),
};
constexpr std::array kRussian{
    sv("Привет из Москвы"),     sv("Сегодня отличная погода"),      sv("Читаю интересную статью"),
    sv("Спасибо всем друзьям"), sv("Новое исследование о климате"),
};
constexpr std::array kArabic{
    sv("صباح الخير من القاهرة"), sv("الطقس جميل اليوم"),      sv("أقرأ كتابا جيدا"),
    sv("شكرا لكم جميعا"),        sv("دراسة جديدة عن المناخ"),
};
constexpr std::array kHebrew{
    sv("בוקר טוב מתל אביב"), sv("מזג האוויר נהדר היום"), sv("קורא ספר טוב"),
    sv("תודה רבה לכולם"),    sv("מחקר חדש על האקלים"),
};
constexpr std::array kThai{
    sv("สวัสดี จาก กรุงเทพ"), sv("วันนี้ อากาศ ดี มาก"), sv("กำลัง อ่าน หนังสือ"), sv("ขอบคุณ ทุกคน"), sv("งานวิจัย ใหม่"),
};
constexpr std::array kSpanish{
    sv("Buenos días desde Madrid"), sv("¡Qué día tan bonito!"),         sv("Leyendo un artículo interesante"),
    sv("Gracias a todos"),          sv("Nuevo estudio sobre el clima"),
};
constexpr std::array kFrench{
    sv("Bonjour de Paris"), sv("Il fait très beau aujourd'hui"), sv("Je lis un article intéressant"),
    sv("Merci à tous"),     sv("Nouvelle étude sur le climat"),
};
constexpr std::array kGerman{
    sv("Guten Morgen aus Berlin"), sv("Schönes Wetter heute"),       sv("Ich lese einen spannenden Artikel"),
    sv("Danke an alle"),           sv("Neue Studie über das Klima"),
};
constexpr std::array kJapanese{
    sv("おはようございます"),
    sv("今日はいい天気です"),
    sv("ありがとうございます"),
};

const std::array<LanguagePhrases, 9> kLanguages{{
    {"el", kGreek},
    {"ru", kRussian},
    {"ar", kArabic},
    {"he", kHebrew},
    {"th", kThai},
    {"es", kSpanish},
    {"fr", kFrench},
    {"de", kGerman},
    {"ja", kJapanese},
}};

constexpr std::array kPlaces{
    Place{"3eb2c704fe8a50cb", "London", "London, England", "GB", "United Kingdom", 51.384940, -0.351468,
          51.671920, 0.148271},
    Place{"01a9a39529b27f36", "Manhattan", "Manhattan, NY", "US", "United States", 40.683935, -74.026675,
          40.877483, -73.910408},
    Place{"01fbe706f872cb32", "Washington", "Washington, DC", "US", "United States", 38.801826, -77.119401,
          38.995380, -76.909396},
    Place{"4c0b1ce3b0cb8a5e", "Athens", "Athens, Greece", "GR", "Greece", 37.944340, 23.690550, 38.025430,
          23.787890},
    Place{"0a5ec7d5c7d2a6b7", "Moscow", "Moscow, Russia", "RU", "Russia", 55.491126, 37.290502, 55.957565,
          37.967315},
    Place{"5e02a0f0d91c76d2", "Tel Aviv-Yafo", "Tel Aviv-Yafo, Israel", "IL", "Israel", 32.029305, 34.739860,
          32.146611, 34.851612},
    Place{"9f15f1ba69b4c2d2", "Bangkok", "Bangkok, Thailand", "TH", "Thailand", 13.494001, 100.327866,
          13.955180, 100.938461},
    Place{"68e019afec7d0ba5", "São Paulo", "São Paulo, Brasil", "BR", "Brasil", -24.008814, -46.826039,
          -23.356792, -46.365052},
    Place{"bd9f5d7a5a0bd54c", "Cairo", "Cairo, Egypt", "EG", "Egypt", 29.965410, 31.137290, 30.150810,
          31.427630},
    Place{"0081ce5db8e1e9d1", "Sydney", "Sydney, New South Wales", "AU", "Australia", -34.118347, 150.520929,
          -33.578141, 151.343021},
    Place{"2a93711775303f90", "Zürich", "Zürich, Switzerland", "CH", "Switzerland", 47.320203, 8.448060,
          47.434680, 8.625370},
    Place{"1c6af8f0a0ed1c33", "Tokyo", "Tokyo, Japan", "JP", "Japan", 35.528873, 139.562640, 35.817813,
          139.918850},
};

constexpr std::array kTimeZones{
    TimeZone{-28800, "Pacific Time (US & Canada)"},
    TimeZone{-18000, "Eastern Time (US & Canada)"},
    TimeZone{-10800, "Brasilia"},
    TimeZone{0, "London"},
    TimeZone{3600, "Amsterdam"},
    TimeZone{7200, "Athens"},
    TimeZone{10800, "Moscow"},
    TimeZone{19800, "New Delhi"},
    TimeZone{25200, "Bangkok"},
    TimeZone{32400, "Tokyo"},
    TimeZone{36000, "Sydney"},
};

constexpr std::array kClients{
    Client{"http://twitter.com/download/iphone", "Twitter for iPhone"},
    Client{"http://twitter.com/download/android", "Twitter for Android"},
    Client{"https://mobile.twitter.com", "Twitter Web App"},
    Client{"https://about.twitter.com/products/tweetdeck", "TweetDeck"},
    Client{"http://twitter.com", "Twitter Web Client"},
    Client{"https://www.hootsuite.com", "Hootsuite Inc."},
    Client{"https://example.org/weatherbot", "Weather & Tides Bot"},
};

constexpr std::array kFirstNames{
    sv("Alice"),  sv("Ben"),   sv("Chloé"),  sv("Dmitri"),  sv("Eleni"), sv("Fatima"),
    sv("George"), sv("Hana"),  sv("Ivan"),   sv("Jonas"),   sv("Kofi"),  sv("Lena"),
    sv("Mateo"),  sv("Nadia"), sv("Oliver"), sv("Priya"),   sv("Quinn"), sv("Rosa"),
    sv("Sam"),    sv("Tomás"), sv("Uma"),    sv("Victor"),  sv("Wen"),   sv("Yusuf"),
    sv("Zoë"),    sv("Νίκος"), sv("Ольга"),  sv("Somchai"), sv("Noa"),   sv("Amira"),
};

constexpr std::array kLastNames{
    sv("Smith"), sv("Jones"),   sv("García"), sv("Müller"), sv("Papadopoulos"), sv("Ivanova"), sv("Haddad"),
    sv("Cohen"), sv("Suzuki"),  sv("Okafor"), sv("Dubois"), sv("Rossi"),        sv("Nowak"),   sv("Silva"),
    sv("Kim"),   sv("O'Brien"), sv("Taylor"), sv("Brown"),  sv("Wilson"),       sv("Patel"),
};

constexpr std::array kSyllables{
    sv("ka"), sv("lo"), sv("mi"), sv("ra"), sv("te"), sv("no"), sv("su"), sv("vi"), sv("be"), sv("do"),
    sv("fa"), sv("ge"), sv("hu"), sv("ji"), sv("ko"), sv("la"), sv("ma"), sv("ne"), sv("po"), sv("ri"),
    sv("sa"), sv("to"), sv("zu"), sv("xe"), sv("qi"), sv("wa"), sv("yo"), sv("ce"), sv("pi"), sv("mo"),
};

constexpr std::array kLocations{
    sv("London, England"), sv("New York, NY"),
    sv("Leeds UK"),        sv("Αθήνα"),
    sv("Москва"),          sv("São Paulo"),
    sv("Paris, France"),   sv("Berlin"),
    sv("Tel Aviv"),        sv("Bangkok"),
    sv("Cairo"),           sv("Sydney"),
    sv("Earth"),           sv("somewhere & nowhere"),
    sv("Zürich"),          sv("Toronto, Ontario"),
    sv("Dublin"),          sv("Tokyo"),
    sv("Mumbai, India"),   sv("Lagos, Nigeria"),
};

constexpr std::array kDescriptions{
    sv("Researcher. Opinions my own."),
    sv("Coffee, code & cats"),
    sv("News and views from the city \U0001F4F0"),
    sv("PhD student in social science"),
    sv("Official account of the team"),
    sv("\"Just visiting\" {she/her}"),
    sv("Λάτρης της θάλασσας"),
    sv("Люблю путешествовать"),
    sv("Tweets about weather, tides and the sea \U0001F30A"),
    sv("Librarian \u2764\uFE0F books"),
    sv("Retweets are not endorsements"),
    sv("Data nerd / runner / dad"),
};

constexpr std::array kLinkSites{
    sv("https://www.bbc.co.uk/news/world-"),    sv("https://github.com/example/project-"),
    sv("https://www.example.org/articles/"),    sv("https://blog.example.com/2022/post-"),
    sv("https://www.theguardian.com/science/"), sv("https://youtu.be/"),
};

constexpr std::array kColors{
    sv("C0DEED"), sv("000000"), sv("1DA1F2"), sv("F5F8FA"), sv("FFFFFF"), sv("333333"),
    sv("DDEEF6"), sv("0084B4"), sv("ABB8C2"), sv("EEEEEE"), sv("9AE4E8"), sv("FF691F"),
};

}  // namespace

std::span<const std::string_view> Vocabulary::EnglishWords() {
    return kEnglish;
}
std::span<const std::string_view> Vocabulary::Hashtags() {
    return kHashtags;
}
std::span<const std::string_view> Vocabulary::Emoji() {
    return kEmoji;
}
std::span<const std::string_view> Vocabulary::AwkwardFragments() {
    return kAwkward;
}
std::span<const LanguagePhrases> Vocabulary::OtherLanguages() {
    return kLanguages;
}
std::span<const Place> Vocabulary::Places() {
    return kPlaces;
}
std::span<const TimeZone> Vocabulary::TimeZones() {
    return kTimeZones;
}
std::span<const Client> Vocabulary::Clients() {
    return kClients;
}
std::span<const std::string_view> Vocabulary::FirstNames() {
    return kFirstNames;
}
std::span<const std::string_view> Vocabulary::LastNames() {
    return kLastNames;
}
std::span<const std::string_view> Vocabulary::Syllables() {
    return kSyllables;
}
std::span<const std::string_view> Vocabulary::Locations() {
    return kLocations;
}
std::span<const std::string_view> Vocabulary::DescriptionPhrases() {
    return kDescriptions;
}
std::span<const std::string_view> Vocabulary::LinkSites() {
    return kLinkSites;
}
std::span<const std::string_view> Vocabulary::Colors() {
    return kColors;
}

const LanguagePhrases& Vocabulary::Language(std::string_view code) {
    for (const LanguagePhrases& lang : kLanguages)
        if (lang.code == code) return lang;
    return kLanguages[0];
}

}  // namespace marlin::emulator
