// Checks of the demo registers: repeatable, shaped to the record layouts, consistent in names,
// ages and dates, and in agreement with the list files written beside them.
#include "demo/demo_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "base/date.h"
#include "store/layout.h"

namespace zelt::demo {
namespace {

using store::FieldType;

// The day the registry is generated for. A function, not a namespace constant: day serials must
// not be computed during static initialisation, before the calendar's own constants are set.
int today() {
    static const int day = daySerial(2024, 3, 15);
    return day;
}

// ---- Helpers ------------------------------------------------------------------------------------

const std::string* get(const Record& r, const std::string& name) {
    for (const auto& f : r.fields) {
        if (f.first == name) return &f.second;
    }
    return nullptr;
}

bool has(const Record& r, const std::string& name) {
    return get(r, name) != nullptr;
}

int dateOf(const Record& r, const std::string& name) {
    const std::string* v = get(r, name);
    if (v == nullptr) return 0;
    const std::optional<int> d = parseDate(*v);
    return d ? *d : 0;
}

// Decodes UTF-8; false for a malformed text.
bool codePoints(const std::string& s, std::vector<unsigned>& out) {
    out.clear();
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size() + (extra == 0 ? 1 : 0))
            return false;
        unsigned cp = extra == 0 ? c : extra == 1 ? (c & 0x1Fu) : (c & 0x0Fu);
        for (int k = 1; k <= extra; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3Fu);
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

// Printable ASCII, the Russian alphabet and the number sign: all of it is in cp1251.
bool printable(unsigned cp) {
    return (cp >= 0x20 && cp <= 0x7E) || (cp >= 0x410 && cp <= 0x44F) || cp == 0x401 ||
           cp == 0x451 || cp == 0x2116;
}

// Empty when the text is fine for a field of that type, else what is wrong with it.
std::string textFault(const std::string& s, bool memo) {
    if (s.empty()) return "empty";
    std::vector<unsigned> cps;
    if (!codePoints(s, cps)) return "not UTF-8";
    for (std::size_t i = 0; i < cps.size(); ++i) {
        if (memo && cps[i] == '\r' && i + 1 < cps.size() && cps[i + 1] == '\n' && i > 0 &&
            i + 2 < cps.size()) {
            ++i;
            continue;
        }
        if (!printable(cps[i])) return "character outside cp1251 text";
    }
    if (s.front() == ' ' || s.back() == ' ') return "blank at an end";
    return "";
}

int length(const std::string& s) {
    std::vector<unsigned> cps;
    codePoints(s, cps);
    return static_cast<int>(cps.size());
}

std::vector<std::string> splitLines(const std::string& s) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = s.find("\r\n", from);
        lines.push_back(s.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) return lines;
        from = at + 2;
    }
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The feminine form of a surname as Russian forms it for the surnames the registers hold.
std::string feminine(const std::string& male) {
    if (endsWith(male, "ий") || endsWith(male, "ой")) return male.substr(0, male.size() - 4) + "ая";
    for (const char* t : {"ов", "ев", "ёв", "ин", "ын"}) {
        if (endsWith(male, t)) return male + "а";
    }
    return male;
}

// Full civil years between two day serials.
int civilAge(int birth, int day) {
    const Ymd b = civilFromSerial(birth);
    const Ymd d = civilFromSerial(day);
    int age = d.year - b.year;
    if (d.month < b.month || (d.month == b.month && d.day < b.day)) --age;
    return age;
}

std::string dump(const DemoData& d) {
    std::ostringstream out;
    auto masters = [&out](const std::vector<Master>& list) {
        for (const Master& m : list) {
            out << m.archived << '|' << m.note << '\n';
            for (const auto& f : m.record.fields) out << f.first << '=' << f.second << ';';
            for (const auto& det : m.details) {
                out << '\n' << det.first << ':';
                for (const auto& f : det.second.fields) out << f.first << '=' << f.second << ';';
            }
            out << '\n';
        }
    };
    masters(d.minors);
    masters(d.families);
    masters(d.others);
    masters(d.institutions);
    for (const auto& file : d.listFiles) {
        out << file.first << '\n';
        for (const std::string& line : file.second) out << line << '\n';
    }
    return out.str();
}

const std::vector<std::string>* listFile(const DemoData& d, const std::string& name) {
    for (const auto& f : d.listFiles) {
        if (f.first == name) return &f.second;
    }
    return nullptr;
}

// ---- Fixture ------------------------------------------------------------------------------------

class DemoDataTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        data_ = new DemoData(generateDemo(Sizes{}, 20240315u, today()));
    }
    static void TearDownTestSuite() {
        delete data_;
        data_ = nullptr;
    }
    static const DemoData& data() { return *data_; }

    struct Register {
        const char* name;
        const std::vector<Master>* masters;
        const char* layout;
        std::set<std::string> details;
    };
    static std::vector<Register> registers() {
        return {
            {"minors", &data().minors, "ZELT", {"PNU", "PKO", "PIR"}},
            {"families", &data().families, "BDS", {"SD", "PKOR", "PR"}},
            {"others", &data().others, "Prochie", {"PKOP"}},
            {"institutions", &data().institutions, "Uch", {"PKOU"}},
        };
    }

private:
    static DemoData* data_;
};

DemoData* DemoDataTest::data_ = nullptr;

// ---- Repeatability ------------------------------------------------------------------------------

TEST(DemoGeneration, SameSeedSameDataOtherSeedOtherData) {
    Sizes sizes;
    sizes.minors = 150;
    sizes.families = 80;
    sizes.others = 30;
    sizes.institutions = 25;
    const std::string first = dump(generateDemo(sizes, 7, today()));
    EXPECT_EQ(first, dump(generateDemo(sizes, 7, today())));
    const DemoData other = generateDemo(sizes, 8, today());
    EXPECT_NE(first, dump(other));
    ASSERT_FALSE(other.minors.empty());
    EXPECT_NE(dump(generateDemo(sizes, 7, today())).substr(0, 400), dump(other).substr(0, 400));
}

TEST(DemoGeneration, SizesAreHonoured) {
    Sizes sizes;
    sizes.minors = 37;
    sizes.families = 0;
    sizes.others = 5;
    sizes.institutions = 23;  // more than the named institutions: numbered schools follow
    const DemoData d = generateDemo(sizes, 1, today());
    EXPECT_EQ(d.minors.size(), 37u);
    EXPECT_TRUE(d.families.empty());
    EXPECT_EQ(d.others.size(), 5u);
    ASSERT_EQ(d.institutions.size(), 23u);
    std::set<std::string> names;
    for (const Master& m : d.institutions) names.insert(*get(m.record, "Naim"));
    EXPECT_EQ(names.size(), 23u) << "institution names repeat";
}

// ---- Layouts ------------------------------------------------------------------------------------

TEST_F(DemoDataTest, EveryValueFitsItsField) {
    for (const Register& reg : registers()) {
        ASSERT_FALSE(reg.masters->empty()) << reg.name;
        const store::Layout& master = store::layoutNamed(reg.layout);
        auto check = [](const store::Layout& layout, const Record& r, std::size_t index) {
            int previous = -1;
            for (const auto& [name, value] : r.fields) {
                SCOPED_TRACE(std::string(layout.name) + " #" + std::to_string(index) + " " + name +
                             "=" + value);
                const int at = layout.indexOf(name);
                ASSERT_GE(at, 0) << "no such field";
                EXPECT_GT(at, previous) << "out of layout order or repeated";
                previous = at;
                EXPECT_NE(name, "N");
                EXPECT_NE(name, "Sv");
                ASSERT_FALSE(value.empty()) << "blank fields are left out";
                const store::FieldDef& def = layout.fields[static_cast<std::size_t>(at)];
                switch (def.type) {
                    case FieldType::Alpha:
                        EXPECT_LE(length(value), def.size);
                        EXPECT_EQ(textFault(value, false), "");
                        break;
                    case FieldType::Memo:
                        EXPECT_EQ(textFault(value, true), "");
                        break;
                    case FieldType::Date: {
                        const std::optional<int> d = parseDate(value);
                        ASSERT_TRUE(d.has_value()) << "not a date";
                        EXPECT_EQ(formatDate(*d), value) << "not in dd.mm.yyyy form";
                        EXPECT_LE(*d, today());
                        EXPECT_GT(*d, daySerial(1940, 1, 1));
                        break;
                    }
                    case FieldType::Number:
                        EXPECT_EQ(value.find_first_not_of("0123456789"), std::string::npos);
                        break;
                    case FieldType::AutoInc:
                        ADD_FAILURE() << "counter written";
                        break;
                }
            }
        };
        for (std::size_t i = 0; i < reg.masters->size(); ++i) {
            const Master& m = (*reg.masters)[i];
            check(master, m.record, i);
            for (const auto& [layout, record] : m.details) {
                ASSERT_EQ(reg.details.count(layout), 1u) << reg.name << " detail " << layout;
                check(store::layoutNamed(layout), record, i);
            }
            if (!m.note.empty()) {
                EXPECT_EQ(textFault(m.note, false), "") << m.note;
            }
        }
    }
}

TEST_F(DemoDataTest, TelephonesHaveTheirDigitCounts) {
    struct Phone {
        const std::vector<Master>* masters;
        const char* field;
        std::size_t digits;
    };
    const Phone phones[] = {
        {&data().minors, "DTel", 5},   {&data().minors, "MTel", 11}, {&data().families, "Dtm", 5},
        {&data().families, "Mtm", 11}, {&data().families, "Dto", 5}, {&data().families, "Mto", 11},
        {&data().others, "Dt", 5},     {&data().others, "Mt", 11},
    };
    for (const Phone& p : phones) {
        int seen = 0;
        for (const Master& m : *p.masters) {
            const std::string* v = get(m.record, p.field);
            if (v == nullptr) continue;
            ++seen;
            EXPECT_EQ(v->size(), p.digits) << p.field << "=" << *v;
            EXPECT_EQ(v->find_first_not_of("0123456789"), std::string::npos)
                << p.field << "=" << *v;
        }
        EXPECT_GT(seen, 0) << p.field << " never filled";
    }
}

// ---- Archive ------------------------------------------------------------------------------------

TEST_F(DemoDataTest, ArchivedMastersCarryTheirDeregistration) {
    const Sizes sizes;
    struct Case {
        const char* name;
        const std::vector<Master>* masters;
        std::vector<const char*>
            deregistration;  // fields an archived master has and a live one not
    };
    const Case cases[] = {
        {"minors", &data().minors, {"DCcU", "OCcU"}},
        {"families", &data().families, {"DCcU", "OCcU", "PCcU"}},
        {"others", &data().others, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        long archived = 0;
        for (const Master& m : *c.masters) {
            archived += m.archived;
            for (const char* field : c.deregistration)
                EXPECT_EQ(has(m.record, field), m.archived) << field;
            if (!m.archived || c.deregistration.empty()) continue;
            const int dkdn = dateOf(m.record, "DKDN");
            const int dccu = dateOf(m.record, "DCcU");
            ASSERT_NE(dkdn, 0) << "archived without a registration date";
            EXPECT_LT(dkdn, dccu);
            EXPECT_LT(dccu, today());
        }
        EXPECT_EQ(archived,
                  std::lround(sizes.archivedShare * static_cast<double>(c.masters->size())));
    }
    for (const Master& m : data().institutions) EXPECT_FALSE(m.archived);
}

TEST_F(DemoDataTest, MinorsGroundsMatchTheirAges) {
    std::map<std::string, int> grounds;
    for (const Master& m : data().minors) {
        if (!m.archived) continue;
        const std::string ground = *get(m.record, "OCcU");
        ++grounds[ground];
        const int age = civilAge(dateOf(m.record, "DR"), dateOf(m.record, "DCcU"));
        if (ground == "Совершеннолетие") {
            EXPECT_GE(age, 18);
        }
        if (ground == "Арест") {
            EXPECT_GE(age, 14);
            EXPECT_TRUE(std::any_of(m.details.begin(), m.details.end(), [](const auto& d) {
                return d.first == "PNU";
            })) << "arrested without a court decision";
        }
    }
    for (const char* g : {"Совершеннолетие", "Арест", "Исправление"}) EXPECT_GT(grounds[g], 0) << g;
    std::map<std::string, int> familyGrounds;
    for (const Master& m : data().families) {
        if (!m.archived) continue;
        const std::string ground = *get(m.record, "OCcU");
        ++familyGrounds[ground];
        if (ground != "Совершеннолетие") continue;
        for (const auto& [layout, child] : m.details) {
            if (layout == "SD") {
                EXPECT_GE(civilAge(dateOf(child, "DR"), dateOf(m.record, "DCcU")), 18)
                    << "a child still minor";
            }
        }
    }
    for (const char* g : {"Совершеннолетие", "Лишение родительских прав", "Исправление"}) {
        EXPECT_GT(familyGrounds[g], 0) << g;
    }
}

// ---- Families -----------------------------------------------------------------------------------

const char* const kMotherBlock[] = {"Fm",    "Im",   "Om",  "DRm", "MRm", "ORm", "GRm", "URm",
                                    "DomRm", "KRm",  "Obm", "Gm",  "Um",  "Dm",  "Km",  "MRabm",
                                    "Serm",  "Nomm", "DVm", "KVm", "Dtm", "Mtm"};
const char* const kFatherBlock[] = {"Fo",    "Io",   "Oo",  "DRo", "MRo", "ORo", "GRo", "URo",
                                    "DomRo", "KRo",  "Obo", "Go",  "Uo",  "Do",  "Ko",  "MRabo",
                                    "Sero",  "Nomo", "DVo", "KVo", "Dto", "Mto"};

TEST_F(DemoDataTest, FamilyShapesOccurWithWholeParentBlocks) {
    int both = 0, motherOnly = 0, fatherOnly = 0, noSurnames = 0;
    for (const Master& m : data().families) {
        auto present = [&m](const char* const(&block)[22]) {
            const bool any = std::any_of(std::begin(block), std::end(block),
                                         [&m](const char* f) { return has(m.record, f); });
            // A recorded parent always has a first name; a missing one has no field at all.
            EXPECT_EQ(any, has(m.record, block[1])) << block[1];
            return any;
        };
        const bool mother = present(kMotherBlock);
        const bool father = present(kFatherBlock);
        EXPECT_TRUE(mother || father) << "family without parents";
        if (mother && father) {
            ++both;
            if (!has(m.record, "Fm") && !has(m.record, "Fo")) ++noSurnames;
        } else if (mother) {
            ++motherOnly;
        } else if (father) {
            ++fatherOnly;
        }
        const long children = std::count_if(m.details.begin(), m.details.end(),
                                            [](const auto& d) { return d.first == "SD"; });
        EXPECT_GE(children, 1);
        EXPECT_LE(children, 4);
    }
    EXPECT_GT(motherOnly, 0);
    EXPECT_GT(fatherOnly, 0);
    EXPECT_GT(noSurnames, 0);
    EXPECT_GT(both - noSurnames, motherOnly + fatherOnly) << "most families have both parents";
}

TEST_F(DemoDataTest, ChildrenAreYoungerThanTheirParents) {
    for (const Master& m : data().families) {
        const int mother = dateOf(m.record, "DRm");
        for (const auto& [layout, child] : m.details) {
            if (layout != "SD") continue;
            const int birth = dateOf(child, "DR");
            ASSERT_NE(birth, 0);
            if (mother != 0) {
                EXPECT_GE(civilAge(mother, birth), 18);
                EXPECT_LE(civilAge(mother, birth), 45);
            }
            const std::string* age = get(child, "L");
            ASSERT_NE(age, nullptr);
            EXPECT_EQ(std::atoi(age->c_str()),
                      static_cast<int>(std::abs(today() - birth) / 365.25));
        }
    }
}

// ---- Minors -------------------------------------------------------------------------------------

TEST_F(DemoDataTest, MinorsNamesFollowSexAndFather) {
    int boys = 0, girls = 0;
    for (const Master& m : data().minors) {
        const Record& r = m.record;
        const std::string sex = *get(r, "Pol");
        const std::string patronymic = *get(r, "O");
        const std::string surname = *get(r, "F");
        ASSERT_TRUE(sex == "М" || sex == "Ж") << sex;
        (sex == "М" ? boys : girls)++;
        EXPECT_TRUE(endsWith(patronymic, sex == "М" ? "ич" : "на")) << sex << " " << patronymic;
        if (const std::string* father = get(r, "Fo")) {
            EXPECT_EQ(surname, sex == "М" ? *father : feminine(*father));
        }
        if (const std::string* mother = get(r, "Fm")) {
            EXPECT_TRUE(endsWith(*mother, "а") || endsWith(*mother, "ая") ||
                        *mother == feminine(*mother))
                << *mother;
        }
    }
    EXPECT_GT(boys, girls);
    EXPECT_GT(girls, 0);
}

TEST_F(DemoDataTest, MinorsAgesPassportsAndOccupations) {
    int adults = 0, schoolAge = 0, live = 0;
    std::map<std::string, int> occupations;
    for (const Master& m : data().minors) {
        const Record& r = m.record;
        const int birth = dateOf(r, "DR");
        const int age = civilAge(birth, today());
        const std::string* l = get(r, "L");
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(std::atoi(l->c_str()), static_cast<int>(std::abs(today() - birth) / 365.25));
        EXPECT_TRUE(!has(r, "Ser") || age >= 14) << "passport at " << age;
        if (const std::string* zan = get(r, "Zan")) ++occupations[*zan];
        if (m.archived) continue;
        ++live;
        EXPECT_GE(age, 7);
        EXPECT_LE(age, 19);
        adults += age >= 18;
        schoolAge += age <= 17;
    }
    EXPECT_GT(adults, 0) << "no adult left on the register";
    EXPECT_GT(schoolAge, live * 8 / 10);
    int counted = 0;
    for (const char* z : {"Школа", "Училище", "Работа", "Не занят"}) {
        EXPECT_GT(occupations[z], 0) << z;
        counted += occupations[z];
    }
    EXPECT_GT(counted, static_cast<int>(data().minors.size()) * 8 / 10);
}

// ---- Detail dates -------------------------------------------------------------------------------

TEST_F(DemoDataTest, DetailDatesFollowRegistrationInOrder) {
    struct DateField {
        const std::vector<Master>* masters;
        const char* layout;
        const char* field;
    };
    const DateField fields[] = {
        {&data().minors, "PNU", "DSud"},        {&data().minors, "PKO", "DProt"},
        {&data().minors, "PIR", "DProf"},       {&data().families, "PKOR", "DKDN"},
        {&data().families, "PR", "D"},          {&data().others, "PKOP", "DKDN"},
        {&data().institutions, "PKOU", "DKDN"},
    };
    for (const DateField& f : fields) {
        int seen = 0;
        for (const Master& m : *f.masters) {
            const int dkdn = dateOf(m.record, "DKDN");
            const int end =
                m.archived && has(m.record, "DCcU") ? dateOf(m.record, "DCcU") : today();
            int previous = 0;
            for (const auto& [layout, record] : m.details) {
                if (layout != f.layout) continue;
                ++seen;
                const int d = dateOf(record, f.field);
                ASSERT_NE(d, 0) << f.layout << " without " << f.field;
                if (dkdn != 0) {
                    EXPECT_GE(d, dkdn) << f.layout;
                }
                EXPECT_LE(d, end) << f.layout;
                EXPECT_GE(d, previous) << f.layout << " not in date order";
                previous = d;
            }
        }
        EXPECT_GT(seen, 0) << f.layout << " never generated";
    }
}

TEST_F(DemoDataTest, InstitutionCasesNameGeneratedMinors) {
    std::set<std::string> minors;
    for (const Master& m : data().minors) {
        minors.insert(*get(m.record, "F") + " " + *get(m.record, "I") + " " + *get(m.record, "O") +
                      " " + *get(m.record, "DR"));
    }
    int longNames = 0, cases = 0;
    for (const Master& m : data().institutions) {
        const std::string name = *get(m.record, "Naim");
        longNames += length(name) > 10;
        for (const auto& [layout, record] : m.details) {
            ++cases;
            const std::string who = *get(record, "F") + " " + *get(record, "I") + " " +
                                    *get(record, "O") + " " + *get(record, "DR");
            EXPECT_EQ(minors.count(who), 1u) << who;
            const std::string* link = get(record, "Naim");
            ASSERT_NE(link, nullptr);
            EXPECT_EQ(name.compare(0, link->size(), *link), 0)
                << "link " << *link << " of " << name;
            EXPECT_EQ(length(*link), std::min(10, length(name)));
        }
    }
    EXPECT_GT(longNames, 0);
    EXPECT_LT(longNames, static_cast<int>(data().institutions.size()));
    EXPECT_GT(cases, 0);
}

// ---- List files ---------------------------------------------------------------------------------

TEST_F(DemoDataTest, EveryListFileIsThereOnce) {
    const std::set<std::string> expected = {
        "gorod.vrk",     "m_uch_p.vrk",     "obl.vrk",      "ul.vrk",         "stat_rod_p.vrk",
        "osnccu_p.vrk",  "sub.vrk",         "zan_p.vrk",    "k_v_pasp_r.vrk", "opnu_r.vrk",
        "osnccu_r.vrk",  "pccu_r.vrk",      "rezpr_r.vrk",  "pr_kdn_p.vrk",   "st_sud_p.vrk",
        "dop_ob_p.vrk",  "mera_pkos_p.vrk", "st_kom_p.vrk", "mera_kom_p.vrk", "rekom_p.vrk",
        "kontpnu_r.vrk", "otkogo_r.vrk",    "opko_r.vrk",   "pmpko_r.vrk",    "dmpko_r.vrk",
        "opko_pr.vrk",   "otkogo_pr.vrk",   "mpko_pr.vrk",  "opko_u.vrk",
    };
    std::set<std::string> seen;
    for (const auto& [name, lines] : data().listFiles) {
        EXPECT_TRUE(seen.insert(name).second) << name << " twice";
        EXPECT_EQ(expected.count(name), 1u) << name << " is no list file of the program";
        EXPECT_FALSE(lines.empty()) << name;
        for (const std::string& line : lines) {
            EXPECT_EQ(textFault(line, false), "") << name << ": " << line;
        }
    }
    EXPECT_EQ(seen, expected);
    const std::vector<std::string>* zan = listFile(data(), "zan_p.vrk");
    ASSERT_NE(zan, nullptr);
    for (const char* z : {"Школа", "Училище", "Работа", "Не занят"}) {
        EXPECT_NE(std::find(zan->begin(), zan->end(), z), zan->end()) << z;
    }
}

TEST_F(DemoDataTest, ValuesComeFromTheirLists) {
    enum class Rule { Whole, EachLine, Prefix };
    struct Source {
        const std::vector<Master>* masters;
        const char* layout;  // the master's layout or one of its details
        const char* field;
        const char* file;
        Rule rule;
    };
    const auto* minors = &data().minors;
    const auto* families = &data().families;
    const auto* others = &data().others;
    const auto* institutions = &data().institutions;
    const Source sources[] = {
        {minors, "ZELT", "MR", "gorod.vrk", Rule::Whole},
        {minors, "ZELT", "RegO", "obl.vrk", Rule::Whole},
        {minors, "ZELT", "RegG", "gorod.vrk", Rule::Whole},
        {minors, "ZELT", "RegU", "ul.vrk", Rule::Whole},
        {minors, "ZELT", "PrO", "obl.vrk", Rule::Whole},
        {minors, "ZELT", "PrG", "gorod.vrk", Rule::Whole},
        {minors, "ZELT", "PrU", "ul.vrk", Rule::Whole},
        {minors, "ZELT", "MUch", "m_uch_p.vrk", Rule::Whole},
        {minors, "ZELT", "Zan", "zan_p.vrk", Rule::Whole},
        {minors, "ZELT", "OCcU", "osnccu_p.vrk", Rule::Whole},
        {minors, "ZELT", "Statm", "stat_rod_p.vrk", Rule::Whole},
        {minors, "ZELT", "Stato", "stat_rod_p.vrk", Rule::Whole},
        {minors, "ZELT", "PKDN", "pr_kdn_p.vrk", Rule::EachLine},
        {minors, "ZELT", "KV", "k_v_pasp_r.vrk", Rule::Whole},
        {minors, "ZELT", "MRmm", "gorod.vrk", Rule::Whole},
        {minors, "ZELT", "KVm", "k_v_pasp_r.vrk", Rule::Whole},
        {minors, "ZELT", "MRoo", "gorod.vrk", Rule::Whole},
        {minors, "ZELT", "KVo", "k_v_pasp_r.vrk", Rule::Whole},
        {minors, "PNU", "MeraSud", "mera_pkos_p.vrk", Rule::Prefix},
        {minors, "PNU", "StSud", "st_sud_p.vrk", Rule::EachLine},
        {minors, "PNU", "DObSud", "dop_ob_p.vrk", Rule::EachLine},
        {minors, "PKO", "StProt", "st_kom_p.vrk", Rule::EachLine},
        {minors, "PKO", "MeraProt", "mera_kom_p.vrk", Rule::EachLine},
        {minors, "PKO", "Rek", "rekom_p.vrk", Rule::EachLine},
        {minors, "PIR", "SubProf", "sub.vrk", Rule::Whole},
        {families, "BDS", "MRm", "gorod.vrk", Rule::Whole},
        {families, "BDS", "ORm", "obl.vrk", Rule::Whole},
        {families, "BDS", "GRm", "gorod.vrk", Rule::Whole},
        {families, "BDS", "URm", "ul.vrk", Rule::Whole},
        {families, "BDS", "Obm", "obl.vrk", Rule::Whole},
        {families, "BDS", "Gm", "gorod.vrk", Rule::Whole},
        {families, "BDS", "Um", "ul.vrk", Rule::Whole},
        {families, "BDS", "KVm", "k_v_pasp_r.vrk", Rule::Whole},
        {families, "BDS", "MRo", "gorod.vrk", Rule::Whole},
        {families, "BDS", "ORo", "obl.vrk", Rule::Whole},
        {families, "BDS", "GRo", "gorod.vrk", Rule::Whole},
        {families, "BDS", "URo", "ul.vrk", Rule::Whole},
        {families, "BDS", "Obo", "obl.vrk", Rule::Whole},
        {families, "BDS", "Go", "gorod.vrk", Rule::Whole},
        {families, "BDS", "Uo", "ul.vrk", Rule::Whole},
        {families, "BDS", "KVo", "k_v_pasp_r.vrk", Rule::Whole},
        {families, "BDS", "OKDN", "opnu_r.vrk", Rule::Whole},
        {families, "BDS", "OCcU", "osnccu_r.vrk", Rule::Whole},
        {families, "BDS", "PCcU", "pccu_r.vrk", Rule::Whole},
        {families, "BDS", "KKDN", "kontpnu_r.vrk", Rule::EachLine},
        {families, "SD", "OU", "m_uch_p.vrk", Rule::Whole},
        {families, "PKOR", "O", "opko_r.vrk", Rule::EachLine},
        {families, "PKOR", "PM", "pmpko_r.vrk", Rule::EachLine},
        {families, "PKOR", "DM", "dmpko_r.vrk", Rule::EachLine},
        {families, "PKOR", "Mater", "otkogo_r.vrk", Rule::EachLine},
        {families, "PR", "S", "sub.vrk", Rule::Whole},
        {families, "PR", "P", "rezpr_r.vrk", Rule::Whole},
        {others, "Prochie", "MR", "gorod.vrk", Rule::Whole},
        {others, "Prochie", "KV", "k_v_pasp_r.vrk", Rule::Whole},
        {others, "Prochie", "OR", "obl.vrk", Rule::Whole},
        {others, "Prochie", "GR", "gorod.vrk", Rule::Whole},
        {others, "Prochie", "UR", "ul.vrk", Rule::Whole},
        {others, "Prochie", "Ob", "obl.vrk", Rule::Whole},
        {others, "Prochie", "G", "gorod.vrk", Rule::Whole},
        {others, "Prochie", "U", "ul.vrk", Rule::Whole},
        {others, "PKOP", "O", "opko_pr.vrk", Rule::EachLine},
        {others, "PKOP", "PM", "mpko_pr.vrk", Rule::EachLine},
        {others, "PKOP", "Mater", "otkogo_pr.vrk", Rule::EachLine},
        {institutions, "Uch", "O", "obl.vrk", Rule::Whole},
        {institutions, "Uch", "G", "gorod.vrk", Rule::Whole},
        {institutions, "Uch", "U", "ul.vrk", Rule::Whole},
        {institutions, "PKOU", "Osn", "opko_u.vrk", Rule::EachLine},
        {institutions, "PKOU", "PM", "mpko_pr.vrk", Rule::EachLine},
        {institutions, "PKOU", "Mater", "otkogo_r.vrk", Rule::EachLine},
        {institutions, "PKOU", "Rek", "dmpko_r.vrk", Rule::EachLine},
    };
    for (const Source& s : sources) {
        SCOPED_TRACE(std::string(s.layout) + "." + s.field + " <- " + s.file);
        const std::vector<std::string>* list = listFile(data(), s.file);
        ASSERT_NE(list, nullptr);
        const std::set<std::string> values(list->begin(), list->end());
        // A value picked from the list must fit the field it is picked for.
        const store::FieldDef& def = store::layoutNamed(s.layout).field(s.field);
        if (def.type == FieldType::Alpha) {
            for (const std::string& v : values) EXPECT_LE(length(v), def.size) << v;
        }
        int seen = 0;
        auto matches = [&](const std::string& value) {
            switch (s.rule) {
                case Rule::Whole:
                    return values.count(value) == 1;
                case Rule::EachLine:
                    for (const std::string& line : splitLines(value)) {
                        if (values.count(line) == 0) return false;
                    }
                    return true;
                case Rule::Prefix:
                    return std::any_of(values.begin(), values.end(),
                                       [&value](const std::string& v) {
                                           return value.compare(0, v.size(), v) == 0;
                                       });
            }
            return false;
        };
        auto check = [&](const Record& r) {
            const std::string* v = get(r, s.field);
            if (v == nullptr) return;
            ++seen;
            EXPECT_TRUE(matches(*v)) << *v;
        };
        const char* master = s.masters == minors     ? "ZELT"
                             : s.masters == families ? "BDS"
                             : s.masters == others   ? "Prochie"
                                                     : "Uch";
        for (const Master& m : *s.masters) {
            if (std::strcmp(s.layout, master) == 0) {
                check(m.record);
                continue;
            }
            for (const auto& [layout, record] : m.details) {
                if (layout == s.layout) check(record);
            }
        }
        EXPECT_GT(seen, 0) << "never generated";
    }
}

}  // namespace
}  // namespace zelt::demo
