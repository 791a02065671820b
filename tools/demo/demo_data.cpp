// Demo registers: minors, families, others and institutions drawn from the word pools with a
// seeded generator of our own (the standard distributions differ between libraries, and the same
// seed must give the same registry everywhere).
#include "demo/demo_data.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/age.h"
#include "base/date.h"
#include "demo/demo_pools.h"

namespace zelt::demo {

namespace {

using namespace pools;

// ---- Random numbers -----------------------------------------------------------------------------

std::uint64_t splitmix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class Rng {
public:
    // Each register draws from its own stream, so the size of one register does not change the
    // content of another.
    Rng(unsigned seed, std::uint64_t stream) {
        std::uint64_t s =
            (static_cast<std::uint64_t>(seed) << 8) ^ (stream * 0xD1B54A32D192ED03ull);
        state_ = splitmix(s);
    }

    std::uint64_t next() { return splitmix(state_); }

    // Uniform in [lo, hi]; lo when the range is empty.
    int range(int lo, int hi) {
        if (hi <= lo) return lo;
        const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo + 1);
        return static_cast<int>(lo + static_cast<std::int64_t>(next() % span));
    }

    bool chance(double p) { return static_cast<double>(next() >> 11) * 0x1.0p-53 < p; }

    const char* pick(Pool p) { return p[range(0, p.size - 1)]; }
    template <std::size_t N>
    const char* pick(const char* const (&a)[N]) {
        return a[range(0, static_cast<int>(N) - 1)];
    }
    template <typename T, std::size_t N>
    const T& pickItem(const T (&a)[N]) {
        return a[range(0, static_cast<int>(N) - 1)];
    }

    // Index drawn with the given weights.
    template <std::size_t N>
    int weighted(const int (&w)[N]) {
        int total = 0;
        for (int x : w) total += x;
        int r = range(0, total - 1);
        for (std::size_t i = 0; i < N; ++i) {
            if (r < w[i]) return static_cast<int>(i);
            r -= w[i];
        }
        return static_cast<int>(N) - 1;
    }

private:
    std::uint64_t state_;
};

// ---- Dates --------------------------------------------------------------------------------------

int addYears(int serial, int years) {
    const Ymd d = civilFromSerial(serial);
    const int year = d.year + years;
    const int day = isValidDate(year, d.month, d.day) ? d.day : 28;  // 29 February
    return daySerial(year, d.month, day);
}

// The program's own age rule, so that a generated age is the one the program shows.
int ageOn(int birth, int day) {
    return static_cast<int>(ageInYears(day, birth));
}

// A birth date that makes the person `age` full years old on `day`.
int bornAged(Rng& rng, int age, int day) {
    return addYears(day, -age) - rng.range(0, 364);
}

// `count` dates in [lo, hi], earliest first.
std::vector<int> datesBetween(Rng& rng, int count, int lo, int hi) {
    std::vector<int> dates(static_cast<std::size_t>(count));
    for (int& d : dates) d = rng.range(lo, std::max(lo, hi));
    std::sort(dates.begin(), dates.end());
    return dates;
}

// ---- Texts --------------------------------------------------------------------------------------

std::string digits(Rng& rng, int n) {
    std::string s(static_cast<std::size_t>(n), '0');
    for (char& c : s) c = static_cast<char>('0' + rng.range(0, 9));
    return s;
}

bool same(const char* a, const char* b) {
    return a != nullptr && b != nullptr && std::strcmp(a, b) == 0;
}

bool endsWith(const std::string& s, const char* tail) {
    const std::string t(tail);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

std::string surnameForm(const char* base, bool female) {
    std::string s(base);
    if (!female) return s;
    if (endsWith(s, "ий") || endsWith(s, "ой")) {
        s.replace(s.size() - std::string("ий").size(), std::string::npos, "ая");
    } else if (endsWith(s, "ов") || endsWith(s, "ев") || endsWith(s, "ёв") || endsWith(s, "ин") ||
               endsWith(s, "ын")) {
        s += "а";
    }
    return s;
}

// The first `n` characters of a UTF-8 text.
std::string firstChars(const std::string& s, int n) {
    std::size_t i = 0;
    for (int count = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && count++ == n) break;
    }
    return s.substr(0, i);
}

// One or two different phrases of a list, one per memo line.
std::string phraseLines(Rng& rng, Pool p, int lines) {
    const int first = rng.range(0, p.size - 1);
    std::string text = p[first];
    if (lines > 1 && p.size > 1) {
        text += "\r\n";
        text += p[(first + rng.range(1, p.size - 1)) % p.size];
    }
    return text;
}

int oneOrTwo(Rng& rng, double pTwo) {
    return rng.chance(pTwo) ? 2 : 1;
}

std::string noteOf(Rng& rng, const Sentence* pool, int size, bool female) {
    const int first = rng.range(0, size - 1);
    std::string text = female ? pool[first].female : pool[first].male;
    if (rng.chance(0.35)) {
        const Sentence& s = pool[(first + rng.range(1, size - 1)) % size];
        text += ' ';
        text += female ? s.female : s.male;
    }
    return text;
}

std::string houseNumber(Rng& rng, int highest) {
    static const char* const kSuffixes[] = {"а", "б", "/1", "/2", "в"};
    std::string house = std::to_string(rng.range(1, highest));
    if (rng.chance(0.08)) house += rng.pick(kSuffixes);
    return house;
}

std::string homePhone(Rng& rng, const Town& town) {
    return town.phoneDigit + digits(rng, 4);
}

std::string mobilePhone(Rng& rng) {
    static const char* const kPrefixes[] = {"8904", "8905", "8915", "8920", "8930",
                                            "8952", "8960", "8980", "8999"};
    return rng.pick(kPrefixes) + digits(rng, 7);
}

// ---- Building records ---------------------------------------------------------------------------

using Field = std::pair<std::string, std::string>;

// Collects a record's fields in a reused buffer and hands them over, exactly sized, when it goes
// out of scope: large registers are held whole in memory, and allocating each record once keeps
// the generation fast.
class Fields {
public:
    Fields(Record& r, std::vector<Field>& scratch) : r_(r), s_(scratch) { s_.clear(); }
    ~Fields() {
        r_.fields.reserve(r_.fields.size() + s_.size());
        for (Field& x : s_) r_.fields.push_back(std::move(x));
        s_.clear();
    }
    Fields(const Fields&) = delete;
    Fields& operator=(const Fields&) = delete;

    void text(const char* name, std::string value) {
        if (!value.empty()) s_.emplace_back(name, std::move(value));
    }
    void text(const char* name, const char* value) {
        if (value != nullptr && *value != '\0') s_.emplace_back(name, value);
    }
    void date(const char* name, int serial) { s_.emplace_back(name, formatDate(serial)); }
    void dateIf(bool present, const char* name, int serial) {
        if (present) date(name, serial);
    }
    void number(const char* name, long value) { s_.emplace_back(name, std::to_string(value)); }

private:
    Record& r_;
    std::vector<Field>& s_;
};

using Detail = std::pair<std::string, Record>;

// The detail records of one master, handed over like Fields. A record returned by add() is valid
// until the next add().
class Details {
public:
    Details(Master& m, std::vector<Detail>& scratch) : m_(m), s_(scratch) { s_.clear(); }
    ~Details() {
        m_.details.reserve(m_.details.size() + s_.size());
        for (Detail& d : s_) m_.details.push_back(std::move(d));
        s_.clear();
    }
    Details(const Details&) = delete;
    Details& operator=(const Details&) = delete;

    Record& add(const char* layout) {
        s_.emplace_back(layout, Record{});
        return s_.back().second;
    }

private:
    Master& m_;
    std::vector<Detail>& s_;
};

struct Address {
    const char* region = nullptr;
    const char* town = nullptr;
    const char* street = nullptr;
    std::string house;
    std::string flat;
};

Address addressIn(Rng& rng, const Town& town) {
    Address a;
    a.region = town.region;
    a.town = town.name;
    a.street = rng.pick(town.streets);
    if (rng.chance(0.22)) {  // a private house: no flat
        a.house = houseNumber(rng, 95);
    } else {
        a.house = houseNumber(rng, 120);
        a.flat = std::to_string(rng.range(1, 150));
    }
    return a;
}

void putAddress(Fields& f, const Address& a, const char* region, const char* town,
                const char* street, const char* house, const char* flat) {
    f.text(region, a.region);
    f.text(town, a.town);
    f.text(street, a.street);
    f.text(house, a.house);
    f.text(flat, a.flat);
}

struct Passport {
    std::string series;
    std::string number;
    int issued = 0;
    const char* office = nullptr;
};

// Passports are issued at 14 and replaced at 20 and 45.
Passport passportFor(Rng& rng, int birth, int today) {
    const int age = ageOn(birth, today);
    const int at = age >= 45 ? 45 : age >= 20 ? 20 : 14;
    Passport p;
    p.issued = std::min(today, addYears(birth, at) + rng.range(3, 60));
    const int yy = civilFromSerial(p.issued).year % 100;
    p.series = "28";
    p.series += static_cast<char>('0' + yy / 10);
    p.series += static_cast<char>('0' + yy % 10);
    p.number = digits(rng, 6);
    p.office = rng.pick(kPassportOffices);
    return p;
}

const Town& homeTown(Rng& rng) {
    return kHomeTowns[rng.chance(0.62) ? 0 : 1];
}

const char* birthPlace(Rng& rng, const Town& home) {
    if (rng.chance(0.7)) return home.name;
    if (rng.chance(0.15)) return rng.pickItem(kNearbyTowns).name;
    return rng.pick(kBirthPlaces);
}

// Which parents a family record holds.
enum class FamilyShape { Both, MotherOnly, FatherOnly, NoSurnames };

struct Context {
    int today = 0;
    std::vector<Field> masterFields, detailFields;  // buffers of Fields
    std::vector<Detail> details;                    // buffer of Details
    std::vector<const MaleName*> boys;              // first names given to children
    std::vector<const MaleName*> men;               // first names of fathers and grandfathers
};

const MaleName& drawMan(Rng& rng, const std::vector<const MaleName*>& pool) {
    return *pool[static_cast<std::size_t>(rng.range(0, static_cast<int>(pool.size()) - 1))];
}

// Names and birth dates of the generated minors, for the institutions' cases that name them.
struct MinorName {
    std::string f, i, o;
    int birth;
};

// Exactly round(share * n) of n items, spread at random (selection sampling, one pass).
std::vector<bool> chooseArchived(Rng& rng, int n, double share) {
    std::vector<bool> chosen(static_cast<std::size_t>(std::max(n, 0)), false);
    long wanted = std::lround(std::clamp(share, 0.0, 1.0) * n);
    for (int i = 0; i < n && wanted > 0; ++i) {
        if (rng.range(0, n - i - 1) < wanted) {
            chosen[static_cast<std::size_t>(i)] = true;
            --wanted;
        }
    }
    return chosen;
}

// ---- Minors -------------------------------------------------------------------------------------

void occupation(Rng& rng, int age, const char*& zan, const char*& study) {
    study = nullptr;
    int kind;  // 0 school, 1 college, 2 technical school, 3 work, 4 idle
    if (age <= 14) {
        static const int w[] = {92, 0, 0, 0, 8};
        kind = rng.weighted(w);
    } else if (age == 15) {
        static const int w[] = {70, 15, 0, 5, 10};
        kind = rng.weighted(w);
    } else if (age <= 17) {
        static const int w[] = {35, 30, 7, 10, 18};
        kind = rng.weighted(w);
    } else {
        static const int w[] = {0, 25, 5, 35, 35};
        kind = rng.weighted(w);
    }
    switch (kind) {
        case 0:
            zan = kZanSchool;
            study = rng.pick(kSchools);
            break;
        case 1:
            zan = kZanCollege;
            study = rng.pick(kColleges);
            break;
        case 2:
            zan = kZanTechnical;
            study = kTechnicalSchool;
            break;
        case 3:
            zan = kZanWork;
            break;
        default:
            zan = kZanIdle;
            break;
    }
    if (rng.chance(0.03)) zan = nullptr;  // not filled in
}

std::string yearsText(int years) {
    const char* word = years == 1 ? "год" : years < 5 ? "года" : "лет";
    return std::to_string(years) + " " + word;
}

std::string courtMeasure(Rng& rng, const char* measure) {
    std::string m = measure;
    if (!rng.chance(0.7)) return m;
    if (same(measure, kCourtMeasureSuspended) || same(measure, kCourtMeasurePrison)) {
        m += " " + yearsText(rng.range(1, 4));
        if (rng.chance(0.3)) m += " 6 мес.";
    } else if (same(measure, kCourtMeasureCommunity)) {
        m += " " + std::to_string(rng.range(4, 20) * 10) + " часов";
    } else if (same(measure, kCourtMeasureCorrective)) {
        m += " " + std::to_string(rng.range(2, 12)) + " мес.";
    } else if (same(measure, kCourtMeasureFine)) {
        m += " " + std::to_string(rng.range(1, 20) * 1000) + " руб.";
    }
    return m;
}

void makeMinor(Rng& rng, Context& c, bool archived, std::vector<MinorName>& names, Master& m) {
    const int today = c.today;
    Details details(m, c.details);
    const bool female = rng.chance(0.3);

    // Dates: birth, registration, deregistration.
    int birth = 0;
    int dkdn = 0;
    int dccu = 0;
    bool registered = true;
    const char* ground = nullptr;
    if (archived) {
        static const int w[] = {34, 36, 7, 10, 5, 4, 4};  // in the order of kMinorGrounds
        ground = kMinorGrounds[rng.weighted(w)];
        if (same(ground, kMinorGroundMajority) || same(ground, kMinorGroundArmy)) {
            const bool army = same(ground, kMinorGroundArmy);
            const int adult = today - rng.range(army ? 400 : 1, 1460);  // the 18th birthday
            birth = addYears(adult, -18);
            dccu = std::min(today - 1, adult + (army ? rng.range(30, 380) : rng.range(0, 20)));
        } else {
            dccu = today - rng.range(1, 1500);
            const int youngest =
                (same(ground, kMinorGroundArrest) || same(ground, kMinorGroundConvicted)) ? 14
                : same(ground, kMinorGroundSpecial)                                       ? 11
                                                                                          : 10;
            birth = bornAged(rng, rng.range(youngest, 17), dccu);
        }
        const int longest = std::min(1460, dccu - addYears(birth, 9));
        dkdn = dccu - rng.range(60, std::max(60, longest));
    } else {
        int age;
        if (rng.chance(0.06)) {
            age = rng.range(18, 19);
        } else {
            static const int w[] = {2, 2, 3, 4, 5, 7, 9, 11, 13, 14, 13};  // ages 7 to 17
            age = 7 + rng.weighted(w);
        }
        birth = bornAged(rng, age, today);
        registered = rng.chance(0.9);
        if (registered) {
            const int hi = std::min(today, addYears(birth, 18) - 1);
            const int lo = std::min(hi, std::max(addYears(birth, 7), today - 1800));
            dkdn = rng.range(lo, hi);
        }
    }
    const int end = archived ? dccu : today;
    const int ageEnd = ageOn(birth, end);
    const int ageNow = ageOn(birth, today);

    // Names.
    const char* base = rng.pick(kSurnames);
    bool hasMother = rng.chance(0.93);
    const bool hasFather = rng.chance(0.6);
    if (!hasMother && !hasFather && rng.chance(0.5)) hasMother = true;
    const MaleName& father = drawMan(rng, c.men);
    const std::string surname = surnameForm(base, female);
    const std::string first = female ? rng.pick(kGirlNames) : drawMan(rng, c.boys).name;
    const std::string patronymic = female ? father.daughterPatronymic : father.sonPatronymic;

    const Town& town = homeTown(rng);
    const bool registeredAway = rng.chance(0.03);
    const Address reg = addressIn(rng, registeredAway ? rng.pickItem(kNearbyTowns) : town);
    const bool livesThere = !registeredAway && rng.chance(0.78);
    const Address home = livesThere ? reg : addressIn(rng, town);

    const char* zan = nullptr;
    const char* study = nullptr;
    occupation(rng, ageEnd, zan, study);

    Fields f(m.record, c.masterFields);
    f.text("F", surname);
    f.text("I", first);
    f.text("O", patronymic);
    f.date("DR", birth);
    f.number("L", ageNow);
    if (rng.chance(0.88)) f.text("MR", birthPlace(rng, town));
    if (rng.chance(0.97)) putAddress(f, reg, "RegO", "RegG", "RegU", "RegD", "RegK");
    if (rng.chance(0.95)) putAddress(f, home, "PrO", "PrG", "PrU", "PrD", "PrK");
    f.text("MUch", study);
    f.text("Zan", zan);
    if (archived) {
        f.date("DCcU", dccu);
        f.text("OCcU", ground);
    }
    if (rng.chance(0.45)) f.text("DTel", homePhone(rng, town));
    if (rng.chance(ageNow >= 11 ? 0.7 : 0.15)) f.text("MTel", mobilePhone(rng));
    if (registered) {
        f.date("DKDN", dkdn);
        f.text("NKDN", std::to_string(rng.range(1, 1500)));
    }
    f.text("Pol", female ? "Ж" : "М");

    // Parents as the minor's card knows them.
    const int motherBirth = addYears(birth, -rng.range(18, 40)) - rng.range(0, 364);
    const int fatherBirth = addYears(motherBirth, -rng.range(-2, 8)) - rng.range(0, 364);
    if (hasMother) {
        const bool ownName = rng.chance(hasFather ? 0.12 : 0.25);
        f.text("Fm", surnameForm(ownName ? rng.pick(kSurnames) : base, true));
        f.text("Im", rng.pick(kWomenNames));
        f.text("Om", drawMan(rng, c.men).daughterPatronymic);
        static const int w[] = {50, 28, 6, 4, 4, 3, 3, 2};  // in the order of kMotherStatuses
        const char* status = kMotherStatuses[rng.weighted(w)];
        f.text("Statm", status);
        if (status == kMotherStatuses[0] && rng.chance(0.85)) f.text("MRm", rng.pick(kWorkplaces));
    }
    if (hasFather) {
        f.text("Fo", base);
        f.text("Io", father.name);
        f.text("Oo", drawMan(rng, c.men).sonPatronymic);
        static const int w[] = {55, 22, 4, 3, 3, 6, 3, 0};  // in the order of kFatherStatuses
        const char* status = kFatherStatuses[rng.weighted(w)];
        f.text("Stato", status);
        if (status == kFatherStatuses[0] && rng.chance(0.85)) f.text("MRo", rng.pick(kWorkplaces));
    } else if (rng.chance(0.35)) {
        f.text("Stato", "Неизвестен");
    }
    if (rng.chance(0.45)) f.text("Dosug", rng.pick(kLeisure));
    if (registered)
        f.text("PKDN", phraseLines(rng, poolOf(kRegistrationReasons), oneOrTwo(rng, 0.25)));
    if (addYears(birth, 14) <= today && rng.chance(0.9)) {
        const Passport p = passportFor(rng, birth, today);
        f.text("Ser", p.series);
        f.text("Nom", p.number);
        f.date("DV", p.issued);
        f.text("KV", p.office);
    }
    if (hasMother && rng.chance(0.75)) {
        f.date("DRm", motherBirth);
        if (rng.chance(0.6)) f.text("MRmm", birthPlace(rng, town));
        if (rng.chance(0.45)) {
            const Passport p = passportFor(rng, motherBirth, today);
            f.text("Serm", p.series);
            f.text("Nomm", p.number);
            f.date("DVm", p.issued);
            f.text("KVm", p.office);
        }
    }
    if (hasFather && rng.chance(0.65)) {
        f.date("DRo", fatherBirth);
        if (rng.chance(0.6)) f.text("MRoo", birthPlace(rng, town));
        if (rng.chance(0.4)) {
            const Passport p = passportFor(rng, fatherBirth, today);
            f.text("Sero", p.series);
            f.text("Nomo", p.number);
            f.date("DVo", p.issued);
            f.text("KVo", p.office);
        }
    }

    // Details: court, commission, prevention work, all between registration and the end.
    const int start = registered ? dkdn : std::min(end, std::max(addYears(birth, 7), end - 1500));
    const int adultCourt = std::max(start, addYears(birth, 14));
    const bool jailed = same(ground, kMinorGroundArrest) || same(ground, kMinorGroundConvicted);
    if (adultCourt <= end && (jailed || rng.chance(registered ? 0.2 : 0.05))) {
        const std::vector<int> dates = datesBetween(rng, oneOrTwo(rng, 0.25), adultCourt, end);
        for (std::size_t k = 0; k < dates.size(); ++k) {
            const bool last = k + 1 == dates.size();
            const char* measure = jailed && last ? kCourtMeasurePrison : rng.pick(kCourtMeasures);
            Fields d(details.add("PNU"), c.detailFields);
            d.date("DSud", dates[k]);
            d.text("MeraSud", courtMeasure(rng, measure));
            d.text("StSud", phraseLines(rng, poolOf(kCourtArticles), oneOrTwo(rng, 0.15)));
            if (rng.chance(same(measure, kCourtMeasureSuspended) ? 0.8 : 0.1)) {
                d.text("DObSud", phraseLines(rng, poolOf(kCourtDuties), oneOrTwo(rng, 0.4)));
            }
        }
    }
    if (rng.chance(registered ? 0.75 : 0.25)) {
        static const int w[] = {55, 30, 15};
        const int count = registered ? 1 + rng.weighted(w) : 1;
        for (int date : datesBetween(rng, count, start, end)) {
            Fields d(details.add("PKO"), c.detailFields);
            d.date("DProt", date);
            d.text("NProt", std::to_string(rng.range(1, 999)));
            d.text("StProt", phraseLines(rng, poolOf(kCommissionArticles), oneOrTwo(rng, 0.1)));
            d.text("MeraProt", rng.pick(kCommissionMeasures));
            if (rng.chance(0.6))
                d.text("Rek", phraseLines(rng, poolOf(kCommissionAdvice), oneOrTwo(rng, 0.3)));
        }
    }
    if (rng.chance(registered ? 0.78 : 0.15)) {
        static const int w[] = {35, 30, 20, 15};
        const int count = registered ? 1 + rng.weighted(w) : 1;
        for (int date : datesBetween(rng, count, start, end)) {
            Fields d(details.add("PIR"), c.detailFields);
            d.text("SubProf", rng.pick(kPreventionBodies));
            d.date("DProf", date);
            d.text("RabProf", rng.pick(kPreventionWork));
        }
    }

    m.archived = archived;
    if (rng.chance(0.55))
        m.note = noteOf(rng, kMinorNotes, static_cast<int>(std::size(kMinorNotes)), female);
    names.push_back({surname, first, patronymic, birth});
}

// ---- Families -----------------------------------------------------------------------------------

const char* childOccupation(Rng& rng, int age) {
    if (age < 3) return kAtHome;
    if (age < 7) return rng.chance(0.85) ? kKindergarten : kAtHome;
    if (age < 16) return rng.chance(0.92) ? rng.pick(kSchools) : kNotStudying;
    if (age < 18) {
        static const int w[] = {45, 35, 5, 10, 5};
        switch (rng.weighted(w)) {
            case 0:
                return rng.pick(kSchools);
            case 1:
                return rng.pick(kColleges);
            case 2:
                return kTechnicalSchool;
            case 3:
                return kNotStudying;
            default:
                return kWorking;
        }
    }
    static const int w[] = {45, 30, 25};
    switch (rng.weighted(w)) {
        case 0:
            return kWorking;
        case 1:
            return kNotWorking;
        default:
            return rng.pick(kColleges);
    }
}

// One parent's block of the family record.
struct ParentBlock {
    std::string surname;  // empty when unknown
    std::string first, patronymic;
    int birth = 0;
    Address reg, home;
};

void putParent(Rng& rng, Fields& f, const ParentBlock& p, bool mother, const Town& town,
               int today) {
    // The layout names both blocks' fields alike, with the suffix m (mother) or o (father).
    const char* s = mother ? "m" : "o";
    auto name = [s](const char* stem) { return std::string(stem) + s; };
    const std::string fF = name("F"), fI = name("I"), fO = name("O"), fDR = name("DR"),
                      fMR = name("MR"), fOR = name("OR"), fGR = name("GR"), fUR = name("UR"),
                      fDomR = name("DomR"), fKR = name("KR"), fOb = name("Ob"), fG = name("G"),
                      fU = name("U"), fD = name("D"), fK = name("K"), fMRab = name("MRab"),
                      fSer = name("Ser"), fNom = name("Nom"), fDV = name("DV"), fKV = name("KV"),
                      fDt = name("Dt"), fMt = name("Mt");
    f.text(fF.c_str(), p.surname);
    f.text(fI.c_str(), p.first);
    f.text(fO.c_str(), p.patronymic);
    const bool knownBirth = rng.chance(0.95);
    f.dateIf(knownBirth, fDR.c_str(), p.birth);
    if (rng.chance(0.7)) f.text(fMR.c_str(), birthPlace(rng, town));
    if (rng.chance(0.97)) {
        putAddress(f, p.reg, fOR.c_str(), fGR.c_str(), fUR.c_str(), fDomR.c_str(), fKR.c_str());
    }
    if (rng.chance(0.95)) {
        putAddress(f, p.home, fOb.c_str(), fG.c_str(), fU.c_str(), fD.c_str(), fK.c_str());
    }
    if (rng.chance(mother ? 0.6 : 0.65)) f.text(fMRab.c_str(), rng.pick(kWorkplaces));
    if (knownBirth && rng.chance(0.7)) {
        const Passport pass = passportFor(rng, p.birth, today);
        f.text(fSer.c_str(), pass.series);
        f.text(fNom.c_str(), pass.number);
        f.date(fDV.c_str(), pass.issued);
        f.text(fKV.c_str(), pass.office);
    }
    if (rng.chance(0.4)) f.text(fDt.c_str(), homePhone(rng, town));
    if (rng.chance(0.75)) f.text(fMt.c_str(), mobilePhone(rng));
}

void makeFamily(Rng& rng, Context& c, FamilyShape shape, bool archived, Master& m) {
    const int today = c.today;
    Details details(m, c.details);

    int dkdn = 0;
    int dccu = 0;
    bool registered = true;
    int groundIndex = -1;
    if (archived) {
        static const int w[] = {25, 15, 38, 10, 6, 6};  // in the order of kFamilyOffGrounds
        groundIndex = rng.weighted(w);
        dccu = today - rng.range(1, 1500);
        dkdn = dccu - rng.range(90, 1460);
    }
    const char* ground = groundIndex >= 0 ? kFamilyOffGrounds[groundIndex] : nullptr;

    // Children, youngest first while drawing, stored eldest first.
    static const int childWeights[] = {38, 34, 18, 10};
    const int children = 1 + rng.weighted(childWeights);
    std::vector<int> births;
    births.reserve(4);
    if (same(ground, kFamilyOffMajority)) {
        births.push_back(addYears(dccu, -18) - rng.range(0, 25));
    } else if (archived) {
        births.push_back(bornAged(rng, rng.range(0, 14), dkdn));
    } else {
        births.push_back(bornAged(rng, rng.range(0, 15), today));
    }
    for (int k = 1; k < children; ++k) {
        births.push_back(addYears(births.back(), -rng.range(1, children == 4 ? 3 : 5)) -
                         rng.range(0, 300));
    }
    std::reverse(births.begin(), births.end());
    const int eldest = births.front();
    const int youngest = births.back();
    if (!archived) {
        registered = rng.chance(0.92);
        if (registered) {
            const int hi = std::min(today, addYears(eldest, 18) - 1);
            const int lo = std::min(hi, std::max(today - 1800, eldest + 30));
            dkdn = rng.range(lo, hi);
        }
    }
    const int end = archived ? dccu : today;

    int motherBirth = addYears(eldest, -rng.range(18, 34)) - rng.range(0, 364);
    motherBirth = std::max(motherBirth, addYears(youngest, -44) + rng.range(0, 200));
    const int fatherBirth = addYears(motherBirth, -rng.range(-2, 8)) - rng.range(0, 364);

    const bool withMother = shape != FamilyShape::FatherOnly;
    const bool withFather = shape != FamilyShape::MotherOnly;
    const bool withSurnames = shape != FamilyShape::NoSurnames;
    const char* base = rng.pick(kSurnames);
    const MaleName& father = drawMan(rng, c.men);

    const Town& town = homeTown(rng);
    ParentBlock mum;
    mum.surname = surnameForm(
        shape == FamilyShape::Both && rng.chance(0.12) ? rng.pick(kSurnames) : base, true);
    mum.first = rng.pick(kWomenNames);
    mum.patronymic = drawMan(rng, c.men).daughterPatronymic;
    mum.birth = motherBirth;
    mum.reg = addressIn(rng, town);
    mum.home = rng.chance(0.75) ? mum.reg : addressIn(rng, town);
    ParentBlock dad;
    dad.surname = base;
    dad.first = father.name;
    dad.patronymic = drawMan(rng, c.men).sonPatronymic;
    dad.birth = fatherBirth;
    if (withMother && rng.chance(0.75)) {
        dad.reg = mum.reg;
        dad.home = mum.home;
    } else {
        dad.reg = addressIn(rng, town);
        dad.home = rng.chance(0.7) ? dad.reg : addressIn(rng, town);
    }
    if (!withSurnames) {
        mum.surname.clear();
        dad.surname.clear();
    }

    Fields f(m.record, c.masterFields);
    if (withMother) putParent(rng, f, mum, true, town, today);
    if (withFather) putParent(rng, f, dad, false, town, today);
    if (registered) {
        f.date("DKDN", dkdn);
        f.text("NKDN", std::to_string(rng.range(1, 800)));
        if (rng.chance(0.95)) f.text("OKDN", rng.pick(kFamilyGrounds));
    }
    if (archived) {
        f.date("DCcU", dccu);
        f.text("OCcU", ground);
        // The reason that goes with each ground, by index into kFamilyOffReasons.
        static const int kMajority[] = {3};
        static const int kDeprived[] = {5, 4};
        static const int kCorrection[] = {0, 1, 2};
        static const int kMoved[] = {6};
        static const int kRestricted[] = {4};
        static const int kDeath[] = {7};
        int reason = 0;
        switch (groundIndex) {
            case 0:
                reason = rng.pickItem(kMajority);
                break;
            case 1:
                reason = rng.pickItem(kDeprived);
                break;
            case 2:
                reason = rng.pickItem(kCorrection);
                break;
            case 3:
                reason = rng.pickItem(kMoved);
                break;
            case 4:
                reason = rng.pickItem(kRestricted);
                break;
            default:
                reason = rng.pickItem(kDeath);
                break;
        }
        f.text("PCcU", kFamilyOffReasons[reason]);
    }
    if (registered && rng.chance(0.65))
        f.text("KKDN", phraseLines(rng, poolOf(kFamilyControl), oneOrTwo(rng, 0.3)));

    // Children carry the father's surname (the mother's when no father is recorded, mostly).
    const char* childBase =
        shape == FamilyShape::MotherOnly && rng.chance(0.2) ? rng.pick(kSurnames) : base;
    for (int birth : births) {
        const bool girl = rng.chance(0.48);
        const MaleName& childFather = withFather && rng.chance(0.85) ? father : drawMan(rng, c.men);
        Fields d(details.add("SD"), c.detailFields);
        d.text("F", surnameForm(childBase, girl));
        d.text("I", girl ? rng.pick(kGirlNames) : drawMan(rng, c.boys).name);
        d.text("O", girl ? childFather.daughterPatronymic : childFather.sonPatronymic);
        d.date("DR", birth);
        d.text("OU", childOccupation(rng, ageOn(birth, end)));
        d.number("L", ageOn(birth, today));
    }

    const int start = registered ? dkdn : std::min(end, end - 1500);
    if (rng.chance(registered ? 0.85 : 0.3)) {
        static const int w[] = {55, 30, 15};
        const int count = registered ? 1 + rng.weighted(w) : 1;
        for (int date : datesBetween(rng, count, start, end)) {
            Fields d(details.add("PKOR"), c.detailFields);
            d.date("DKDN", date);
            d.text("NKDN", std::to_string(rng.range(1, 999)));
            d.text("O", phraseLines(rng, poolOf(kFamilyCaseGrounds), oneOrTwo(rng, 0.15)));
            d.text("PM", rng.pick(kFamilyCaseMeasures));
            if (rng.chance(0.5))
                d.text("DM", phraseLines(rng, poolOf(kAdditionalMeasures), oneOrTwo(rng, 0.3)));
            if (rng.chance(0.8)) d.text("Mater", rng.pick(kMaterialsFrom));
        }
    }
    if (rng.chance(0.72)) {
        static const int w[] = {35, 30, 20, 15};
        for (int date : datesBetween(rng, 1 + rng.weighted(w), start, end)) {
            Fields d(details.add("PR"), c.detailFields);
            d.text("S", rng.pick(kPreventionBodies));
            d.date("D", date);
            d.text("Pr", rng.pick(kFamilyWork));
            if (rng.chance(0.7)) d.text("P", rng.pick(kPreventionResults));
        }
    }

    m.archived = archived;
    if (rng.chance(0.55)) {
        // Notes that speak of the father or the mother fit only families that have one.
        auto fits = [&](int k) { return (k != 1 || withFather) && (k != 3 || withMother); };
        const int n = static_cast<int>(std::size(kFamilyNotes));
        int first = rng.range(0, n - 1);
        while (!fits(first)) first = (first + 1) % n;
        m.note = kFamilyNotes[first];
        if (rng.chance(0.35)) {
            int second = (first + rng.range(1, n - 1)) % n;
            while (!fits(second) || second == first) second = (second + 1) % n;
            m.note += ' ';
            m.note += kFamilyNotes[second];
        }
    }
}

std::vector<FamilyShape> familyShapes(Rng& rng, int n) {
    std::vector<FamilyShape> shapes(static_cast<std::size_t>(std::max(n, 0)), FamilyShape::Both);
    auto share = [n](double p) {
        return static_cast<int>(n >= 4 ? std::max(1L, std::lround(p * n)) : 0);
    };
    const int noSurnames = share(0.02);
    const int fatherOnly = share(0.06);
    const int motherOnly = share(0.22);
    int k = 0;
    for (int i = 0; i < noSurnames; ++i)
        shapes[static_cast<std::size_t>(k++)] = FamilyShape::NoSurnames;
    for (int i = 0; i < fatherOnly; ++i)
        shapes[static_cast<std::size_t>(k++)] = FamilyShape::FatherOnly;
    for (int i = 0; i < motherOnly; ++i)
        shapes[static_cast<std::size_t>(k++)] = FamilyShape::MotherOnly;
    for (int i = n - 1; i > 0; --i)
        std::swap(shapes[static_cast<std::size_t>(i)],
                  shapes[static_cast<std::size_t>(rng.range(0, i))]);
    return shapes;
}

// ---- Others -------------------------------------------------------------------------------------

void makeOther(Rng& rng, Context& c, bool archived, Master& m) {
    const int today = c.today;
    Details details(m, c.details);
    const bool female = rng.chance(0.35);
    const bool minor = rng.chance(0.25);
    const int birth = bornAged(rng, minor ? rng.range(14, 17) : rng.range(18, 62), today);
    const Town& town = homeTown(rng);
    const Address reg = addressIn(rng, town);
    const Address home = rng.chance(0.8) ? reg : addressIn(rng, town);

    Fields f(m.record, c.masterFields);
    f.text("F", surnameForm(rng.pick(kSurnames), female));
    if (female) {
        f.text("I", minor ? rng.pick(kGirlNames) : rng.pick(kWomenNames));
    } else {
        f.text("I", drawMan(rng, minor ? c.boys : c.men).name);
    }
    const MaleName& father = drawMan(rng, c.men);
    f.text("O", female ? father.daughterPatronymic : father.sonPatronymic);
    if (rng.chance(0.96)) f.date("DR", birth);
    if (rng.chance(0.7)) f.text("MR", birthPlace(rng, town));
    if (minor) f.text("MU", rng.chance(0.6) ? rng.pick(kSchools) : rng.pick(kColleges));
    if (rng.chance(0.95)) putAddress(f, reg, "OR", "GR", "UR", "DomR", "KR");
    if (rng.chance(0.9)) putAddress(f, home, "Ob", "G", "U", "D", "K");
    if (rng.chance(0.35)) f.text("Dt", homePhone(rng, town));
    if (rng.chance(0.7)) f.text("Mt", mobilePhone(rng));
    if (!minor && rng.chance(0.55)) f.text("MRab", rng.pick(kWorkplaces));
    if (rng.chance(0.85)) {
        const Passport p = passportFor(rng, birth, today);
        f.text("Ser", p.series);
        f.text("Nom", p.number);
        f.date("DV", p.issued);
        f.text("KV", p.office);
    }

    // Cases: the others' register keeps no deregistration date, so an archived person's cases
    // simply lie further back.
    static const int w[] = {5, 70, 20, 5};
    const int latest = archived ? today - rng.range(200, 1500) : today;
    const int earliest = std::min(latest, std::max(latest - 1500, addYears(birth, 14)));
    for (int date : datesBetween(rng, rng.weighted(w), earliest, latest)) {
        Fields d(details.add("PKOP"), c.detailFields);
        d.text("O", phraseLines(rng, poolOf(kOtherCaseGrounds), 1));
        d.text("PM", rng.pick(kOtherCaseMeasures));
        if (rng.chance(0.3)) d.text("DM", rng.pick(kAdditionalMeasures));
        if (rng.chance(0.8)) d.text("Mater", rng.pick(kOtherMaterialsFrom));
        d.date("DKDN", date);
        d.text("NKDN", std::to_string(rng.range(1, 999)));
    }

    m.archived = archived;
    if (rng.chance(0.45))
        m.note = noteOf(rng, kOtherNotes, static_cast<int>(std::size(kOtherNotes)), female);
}

// ---- Institutions -------------------------------------------------------------------------------

void makeInstitution(Rng& rng, Context& c, const std::string& name, const Town& town,
                     const std::vector<MinorName>& minors, Master& m) {
    const int today = c.today;
    Details details(m, c.details);
    Fields f(m.record, c.masterFields);
    f.text("Naim", name);
    f.text("O", town.region);
    f.text("G", town.name);
    f.text("U", rng.pick(town.streets));
    f.text("D", houseNumber(rng, 60));

    // Each case names a minor who was at least seven on the day of the decision.
    struct Case {
        int date;
        MinorName who;
    };
    static const int w[] = {12, 33, 27, 16, 12};
    const int count = rng.weighted(w);
    std::vector<Case> cases;
    cases.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        MinorName who;
        if (!minors.empty()) {
            who =
                minors[static_cast<std::size_t>(rng.range(0, static_cast<int>(minors.size()) - 1))];
        } else {
            const bool girl = rng.chance(0.4);
            const MaleName& father = drawMan(rng, c.men);
            who = {surnameForm(rng.pick(kSurnames), girl),
                   girl ? rng.pick(kGirlNames) : drawMan(rng, c.boys).name,
                   girl ? father.daughterPatronymic : father.sonPatronymic,
                   bornAged(rng, rng.range(8, 17), today)};
        }
        const int lo = std::min(today, std::max(today - 1500, addYears(who.birth, 7)));
        cases.push_back({rng.range(lo, today), std::move(who)});
    }
    std::sort(cases.begin(), cases.end(),
              [](const Case& a, const Case& b) { return a.date < b.date; });
    const std::string link = firstChars(name, 10);
    for (const Case& k : cases) {
        Fields d(details.add("PKOU"), c.detailFields);
        d.text("Naim", link);
        d.text("Osn", phraseLines(rng, poolOf(kInstitutionCaseGrounds), oneOrTwo(rng, 0.15)));
        d.text("PM", rng.pick(kOtherCaseMeasures));
        if (rng.chance(0.8)) d.text("Mater", rng.pick(kMaterialsFrom));
        d.date("DKDN", k.date);
        d.text("NKDN", std::to_string(rng.range(1, 999)));
        if (rng.chance(0.6)) d.text("Rek", rng.pick(kAdditionalMeasures));
        d.text("F", k.who.f);
        d.text("I", k.who.i);
        d.text("O", k.who.o);
        d.date("DR", k.who.birth);
    }
    if (rng.chance(0.4)) m.note = rng.pick(kInstitutionNotes);
}

// ---- List files ---------------------------------------------------------------------------------

class Lines {
public:
    Lines& add(const char* value) {
        for (const std::string& v : lines_) {
            if (v == value) return *this;
        }
        lines_.emplace_back(value);
        return *this;
    }
    template <std::size_t N>
    Lines& add(const char* const (&a)[N]) {
        for (const char* v : a) add(v);
        return *this;
    }
    Lines& add(Pool p) {
        for (int i = 0; i < p.size; ++i) add(p[i]);
        return *this;
    }
    std::vector<std::string> take() { return std::move(lines_); }

private:
    std::vector<std::string> lines_;
};

std::vector<std::pair<std::string, std::vector<std::string>>> listFiles() {
    std::vector<std::pair<std::string, std::vector<std::string>>> files;
    auto put = [&files](const char* name, Lines lines) { files.emplace_back(name, lines.take()); };

    Lines towns;
    for (const Town& t : kHomeTowns) towns.add(t.name);
    for (const Town& t : kNearbyTowns) towns.add(t.name);
    towns.add(kBirthPlaces);
    Lines streets;
    for (const Town& t : kHomeTowns) streets.add(t.streets);
    for (const Town& t : kNearbyTowns) streets.add(t.streets);

    // Pick lists, in the order the program loads them.
    put("gorod.vrk", towns);
    put("m_uch_p.vrk", Lines()
                           .add(kSchools)
                           .add(kColleges)
                           .add(kTechnicalSchool)
                           .add(kKindergarten)
                           .add(kAtHome)
                           .add(kNotStudying)
                           .add(kWorking)
                           .add(kNotWorking));
    put("obl.vrk", Lines().add(kRegionTver).add(kRegionMoscow));
    put("ul.vrk", streets);
    put("stat_rod_p.vrk", Lines().add(kMotherStatuses).add(kFatherStatuses));
    put("osnccu_p.vrk", Lines().add(kMinorGrounds));
    put("sub.vrk", Lines().add(kPreventionBodies));
    put("zan_p.vrk", Lines().add(kOccupations));
    put("k_v_pasp_r.vrk", Lines().add(kPassportOffices));
    put("opnu_r.vrk", Lines().add(kFamilyGrounds));
    put("osnccu_r.vrk", Lines().add(kFamilyOffGrounds));
    put("pccu_r.vrk", Lines().add(kFamilyOffReasons));
    put("rezpr_r.vrk", Lines().add(kPreventionResults));

    // Phrase lists.
    put("pr_kdn_p.vrk", Lines().add(kRegistrationReasons));
    put("st_sud_p.vrk", Lines().add(kCourtArticles));
    put("dop_ob_p.vrk", Lines().add(kCourtDuties));
    put("mera_pkos_p.vrk", Lines().add(kCourtMeasures));
    put("st_kom_p.vrk", Lines().add(kCommissionArticles));
    put("mera_kom_p.vrk", Lines().add(kCommissionMeasures));
    put("rekom_p.vrk", Lines().add(kCommissionAdvice));
    put("kontpnu_r.vrk", Lines().add(kFamilyControl));
    put("otkogo_r.vrk", Lines().add(kMaterialsFrom));
    put("opko_r.vrk", Lines().add(kFamilyCaseGrounds));
    put("pmpko_r.vrk", Lines().add(kFamilyCaseMeasures));
    put("dmpko_r.vrk", Lines().add(kAdditionalMeasures));
    put("opko_pr.vrk", Lines().add(kOtherCaseGrounds));
    put("otkogo_pr.vrk", Lines().add(kOtherMaterialsFrom));
    put("mpko_pr.vrk", Lines().add(kOtherCaseMeasures));
    put("opko_u.vrk", Lines().add(kInstitutionCaseGrounds));
    return files;
}

}  // namespace

DemoData generateDemo(const Sizes& sizes, unsigned seed, int todaySerial) {
    Context c;
    c.today = todaySerial;
    for (const MaleName& n : kMaleNames) {
        if (n.young) c.boys.push_back(&n);
        if (n.adult) c.men.push_back(&n);
    }

    DemoData data;

    Rng minorRng(seed, 1);
    const std::vector<bool> minorsArchived =
        chooseArchived(minorRng, sizes.minors, sizes.archivedShare);
    std::vector<MinorName> names;
    names.reserve(minorsArchived.size());
    data.minors.reserve(minorsArchived.size());
    for (bool archived : minorsArchived) {
        data.minors.emplace_back();
        makeMinor(minorRng, c, archived, names, data.minors.back());
    }

    Rng familyRng(seed, 2);
    const std::vector<bool> familiesArchived =
        chooseArchived(familyRng, sizes.families, sizes.archivedShare);
    const std::vector<FamilyShape> shapes = familyShapes(familyRng, sizes.families);
    data.families.reserve(shapes.size());
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        data.families.emplace_back();
        makeFamily(familyRng, c, shapes[i], familiesArchived[i], data.families.back());
    }

    Rng otherRng(seed, 3);
    const std::vector<bool> othersArchived =
        chooseArchived(otherRng, sizes.others, sizes.archivedShare);
    data.others.reserve(othersArchived.size());
    for (bool archived : othersArchived) {
        data.others.emplace_back();
        makeOther(otherRng, c, archived, data.others.back());
    }

    // Institutions: the known ones in a shuffled order, then numbered schools of both towns.
    Rng institutionRng(seed, 4);
    std::vector<int> order(std::size(kInstitutions));
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    for (int i = static_cast<int>(order.size()) - 1; i > 0; --i) {
        std::swap(order[static_cast<std::size_t>(i)],
                  order[static_cast<std::size_t>(institutionRng.range(0, i))]);
    }
    const int count = std::max(sizes.institutions, 0);
    data.institutions.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string name;
        int town;
        if (i < static_cast<int>(order.size())) {
            const Institution& known = kInstitutions[order[static_cast<std::size_t>(i)]];
            name = known.name;
            town = known.town;
        } else {
            const int k = i - static_cast<int>(order.size());
            town = k % 2;
            name = "МБОУ СОШ № " + std::to_string(10 + k / 2) + " г. " + kHomeTowns[town].name;
        }
        data.institutions.emplace_back();
        makeInstitution(institutionRng, c, name, kHomeTowns[town], names, data.institutions.back());
    }

    data.listFiles = listFiles();
    return data;
}

}  // namespace zelt::demo
