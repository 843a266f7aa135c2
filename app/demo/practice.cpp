// The practice every account draws on: producers, carriers, policies and code tables.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <tuple>

#include "app/demo/model.h"
#include "host/base/dates.h"
#include "host/base/text.h"

namespace demo {

using namespace tables;

Profile ProfileOf(Size size) {
    Profile p;
    switch (size) {
        case Size::Small:
            p.accounts = 40;
            p.years = 2;
            p.dentists = 2;
            p.hygienists = 2;
            p.auxiliaries = 1;
            p.carriers = 12;
            p.policies = 20;
            p.initial_share = 70;
            p.initial_days = 90;
            p.leave_share = 15;
            p.edge_cases = true;
            break;
        case Size::Medium:
            p.accounts = 3000;
            p.years = 2;
            p.dentists = 4;
            p.hygienists = 3;
            p.auxiliaries = 2;
            p.carriers = 20;
            p.policies = 250;
            p.initial_share = 65;
            p.initial_days = 120;
            p.leave_share = 12;
            break;
        case Size::Large:
            p.accounts = 18000;
            p.years = 15;
            p.dentists = 8;
            p.hygienists = 8;
            p.auxiliaries = 4;
            p.carriers = 400;
            p.policies = 1500;
            // Fifteen years of a busy practice: families come and go, so that about 4,000 are
            // patients at any one time.
            p.initial_share = 10;
            p.initial_days = 365;
            p.leave_share = 93;
            p.tenure_days = 1900;
            break;
        case Size::Group:
            // A group of practices sharing one database, eleven times the large one: the same
            // fifteen years and turnover, three times the producers and four times the
            // policies.
            p = ProfileOf(Size::Large);
            p.accounts = 200000;
            p.dentists = 24;
            p.hygienists = 24;
            p.auxiliaries = 12;
            p.policies = 6000;
            break;
    }
    return p;
}

int Practice::FindProducer(const std::string& code) const {
    for (size_t i = 0; i < producers.size(); ++i)
        if (producers[i].code == code) return static_cast<int>(i);
    return -1;
}

const PayCode& Practice::Pay(const std::string& code) const {
    for (const PayCode& c : pay_codes)
        if (c.code == code) return c;
    return pay_codes.front();
}

const AdjCode& Practice::Adj(const std::string& code) const {
    for (const AdjCode& c : adj_codes)
        if (c.code == code) return c;
    return adj_codes.front();
}

int64_t Practice::FeeOn(int fee_today, int day) const {
    const int64_t months = std::max(0, (today_index - day) / 30);
    const int64_t factor = std::max<int64_t>(6000, 12000 - 25 * months);
    const int64_t fee = static_cast<int64_t>(fee_today) * factor / 12000;
    return (fee + 2) / 5 * 5;
}

Output::Output() {
    Code("");
}

long Output::LastId(const std::string& table) const {
    auto it = ids_.find(table);
    return it == ids_.end() ? 0 : it->second;
}

uint8_t Output::Code(const std::string& code) {
    auto it = code_index_.find(code);
    if (it != code_index_.end()) return it->second;
    const uint8_t i = static_cast<uint8_t>(codes_.size());
    codes_.push_back(code);
    code_index_.emplace(code, i);
    return i;
}

void Output::Day(long date, char sortid, char rectype, long recid, const std::string& billdr,
                 const std::string& producer, long patid) {
    day_.Add(DayLine{static_cast<int32_t>(date), static_cast<int32_t>(recid),
                     static_cast<int32_t>(patid), Code(billdr), Code(producer), sortid, rectype});
}

DaySheet::~DaySheet() {
    for (auto& [ym, m] : months_)
        if (m.file) std::fclose(m.file);
}

void DaySheet::Add(const DayLine& line) {
    Month& m = months_[line.date / 100];
    m.buffer.push_back(line);
    ++lines_;
    if (m.buffer.size() >= month_buffer_) Spill(m);
}

bool DaySheet::Spill(Month& m) {
    if (m.buffer.empty() || !error_.empty()) return error_.empty();
    if (!m.file) m.file = std::tmpfile();
    if (!m.file ||
        std::fwrite(m.buffer.data(), sizeof(DayLine), m.buffer.size(), m.file) != m.buffer.size()) {
        error_ = "journal : fichier temporaire : " + std::string(std::strerror(errno));
        return false;
    }
    m.in_file += static_cast<long>(m.buffer.size());
    m.buffer.clear();
    m.buffer.shrink_to_fit();
    return true;
}

bool DaySheet::Drain(const std::function<void(const DayLine&)>& visit, std::string* error) {
    std::vector<DayLine> lines;
    for (auto& [ym, m] : months_) {
        if (!error_.empty()) break;
        lines.resize(static_cast<size_t>(m.in_file));
        if (m.file) {
            std::rewind(m.file);
            if (std::fread(lines.data(), sizeof(DayLine), lines.size(), m.file) != lines.size())
                error_ = "journal : fichier temporaire tronqué";
            std::fclose(m.file);
            m.file = nullptr;
        }
        lines.insert(lines.end(), m.buffer.begin(), m.buffer.end());
        m.buffer = {};
        std::sort(lines.begin(), lines.end(), [](const DayLine& a, const DayLine& b) {
            if (a.date != b.date) return a.date < b.date;
            if (a.sortid != b.sortid) return a.sortid < b.sortid;
            return a.recid < b.recid;
        });
        if (error_.empty())
            for (const DayLine& l : lines)
                visit(l);
    }
    months_.clear();
    lines_ = 0;
    if (!error_.empty()) {
        if (error) *error = error_;
        return false;
    }
    return true;
}

std::string Fit(const std::string& s, size_t chars) {
    return host::U8Left(s, chars);
}

std::string Phone(Rng& rng, const char* area) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "(%s) 555-%04d", area, rng.Int(0, 9999));
    return buf;
}

std::string PostalCode(Rng& rng, const char* fsa) {
    static const char kLetters[] = "ABCEGHJKLMNPRSTVWXYZ";
    char buf[8];
    std::snprintf(buf, sizeof buf, "%s %d%c%d", fsa, rng.Int(0, 9), kLetters[rng.Index(20)],
                  rng.Int(0, 9));
    return buf;
}

std::string AsciiFold(const std::string& s) {
    static const std::pair<const char*, char> kFold[] = {
        {"à", 'a'}, {"â", 'a'}, {"ä", 'a'}, {"é", 'e'}, {"è", 'e'}, {"ê", 'e'}, {"ë", 'e'},
        {"î", 'i'}, {"ï", 'i'}, {"ô", 'o'}, {"ö", 'o'}, {"ù", 'u'}, {"û", 'u'}, {"ü", 'u'},
        {"ç", 'c'}, {"É", 'e'}, {"È", 'e'}, {"À", 'a'}, {"Ç", 'c'}, {"Ê", 'e'}, {"Î", 'i'}};
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            if (std::isalnum(c)) out += static_cast<char>(std::tolower(c));
            ++i;
            continue;
        }
        bool folded = false;
        for (const auto& [from, to] : kFold) {
            const size_t n = std::strlen(from);
            if (s.compare(i, n, from) == 0) {
                out += to;
                i += n;
                folded = true;
                break;
            }
        }
        if (!folded) ++i;
    }
    return out;
}

std::string RichText(const std::string& plain) {
    // Accented letters as the code page's escapes, the way a rich-text editor saves them.
    std::string body;
    for (size_t i = 0; i < plain.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(plain[i]);
        if (c < 0x80) {
            if (c == '\\' || c == '{' || c == '}') body += '\\';
            body += static_cast<char>(c);
        } else if ((c & 0xe0) == 0xc0 && i + 1 < plain.size()) {
            const unsigned code =
                ((c & 0x1fu) << 6) | (static_cast<unsigned char>(plain[i + 1]) & 0x3fu);
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\'%02x", code & 0xffu);
            body += esc;
            ++i;
        }
    }
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 " + body +
           "\\par}";
}

namespace {

const char* kPracticeName = "Clinique dentaire des Mille-Îles";

void WriteProducers(Practice& p, Output& out, Rng& rng) {
    const Profile& prof = p.profile;
    const int span = p.today_index;
    auto person = [&](Producer& d, bool female) {
        d.first = female ? rng.Pick(kFemaleNames) : rng.Pick(kMaleNames);
        d.last = rng.Pick(kFamilyNames);
    };
    for (int i = 0; i < prof.dentists; ++i) {
        Producer d;
        char code[16];
        std::snprintf(code, sizeof code, "%02d", i + 1);
        d.billdr = code;
        d.code = "D" + d.billdr;
        d.type = 'D';
        const bool female = rng.Percent(55);
        person(d, female);
        d.title = female ? "Dre" : "Dr";
        d.license = std::to_string(rng.Int(10000, 99999));
        d.weight = i == 0 ? 14 : 10;
        if (prof.dentists >= 4 && i == prof.dentists - 2) {
            d.end = span * 3 / 5;  // retired: keeps old receivables
            d.flag = true;
        }
        if (prof.dentists >= 4 && i == prof.dentists - 1) d.start = span * 2 / 5;
        p.dentists.push_back(static_cast<int>(p.producers.size()));
        p.producers.push_back(d);
    }
    for (int i = 0; i < prof.hygienists; ++i) {
        Producer h;
        char code[16];
        std::snprintf(code, sizeof code, "H%02d", i + 1);
        h.code = code;
        h.type = 'H';
        person(h, rng.Percent(85));
        h.license = std::to_string(rng.Int(10000, 99999));
        if (prof.hygienists >= 3 && i == 1) h.end = span / 2;
        if (prof.hygienists >= 3 && i == 2) h.start = span / 2 - 30;
        p.hygienists.push_back(static_cast<int>(p.producers.size()));
        p.producers.push_back(h);
    }
    for (int i = 0; i < prof.auxiliaries; ++i) {
        Producer a;
        char code[16];
        std::snprintf(code, sizeof code, "A%02d", i + 1);
        a.code = code;
        a.type = 'A';
        person(a, rng.Percent(90));
        // Auxiliaries work under a billing doctor who is there for the whole history.
        const Producer& parent = p.Prod(p.dentists[static_cast<size_t>(i) % 2]);
        a.parent = parent.billdr;
        p.auxiliaries.push_back(static_cast<int>(p.producers.size()));
        p.producers.push_back(a);
    }
    for (Producer& d : p.producers) {
        d.id = out.NextId("PRODCD");
        out[kProdcd]
            .Int(d.id)
            .Text(d.code)
            .Char(d.type)
            .Text(Fit(d.first, 15))
            .Text(Fit(d.last, 25))
            .Text(d.title)
            .Text(d.license)
            .Text(d.type == 'D' ? d.billdr : d.parent)
            .Char(d.flag ? 'Y' : 'N')
            .Char(d.end >= p.today_index ? 'Y' : 'N')
            .Text(Phone(rng, "450"));
        out[kProdcd].End();
    }
}

void WriteCarriersAndPolicies(Practice& p, Output& out, Rng& rng) {
    const Profile& prof = p.profile;
    for (size_t i = 0; i < kCarriers.size() && static_cast<int>(i) < prof.carriers; ++i) {
        const CarrierInfo& c = kCarriers[i];
        Carrier k;
        k.code = c.code;
        k.name = c.name;
        k.city = c.city;
        k.govt = c.govt;
        k.weight = c.weight;
        if (k.govt) {
            k.delay_lo = 20;
            k.delay_hi = 45;
        } else {
            k.delay_lo = 4;
            k.delay_hi = rng.Int(14, 28);
            k.direct_deposit = rng.Percent(80);
        }
        p.carriers.push_back(k);
    }
    for (int i = static_cast<int>(p.carriers.size()); i < prof.carriers; ++i) {
        Carrier k;
        char code[16];
        std::snprintf(code, sizeof code, "C%04d", i);
        k.code = code;
        const City& city = kCities[rng.Index(kCities.size())];
        k.name = Fit(rng.Pick(kCarrierWords) + " " +
                         (rng.Percent(50) ? rng.Pick(kFamilyNames) : std::string(city.name)),
                     40);
        k.city = city.name;
        k.weight = rng.Int(1, 3);
        k.delay_lo = 7;
        k.delay_hi = rng.Int(20, 45);
        k.direct_deposit = rng.Percent(40);
        p.carriers.push_back(k);
    }
    for (const Carrier& k : p.carriers) {
        out[kInsco]
            .Text(k.code)
            .Text(k.govt ? "RAMQ" : std::to_string(rng.Int(100000, 999999)))
            .Text(k.name)
            .Text(std::to_string(rng.Int(100, 9999)) + ", " + rng.Pick(kStreets))
            .Text(k.city)
            .Text("QC")
            .Text(PostalCode(rng, "H3B"))
            .Text(Phone(rng, "514"))
            .Char(k.govt || k.direct_deposit ? 'Y' : 'N')
            .Char(k.govt ? 'G' : 'C')
            .Char(k.govt ? 'Y' : 'N');
        out[kInsco].End();
    }

    std::vector<int> weights;
    for (const Carrier& k : p.carriers)
        weights.push_back(k.govt ? 0 : k.weight);
    static const int kPrevention[] = {80, 90, 100, 100};
    static const int kBasic[] = {60, 70, 80, 80};
    static const int kMajor[] = {0, 50, 50, 60};
    static const int64_t kLimits[] = {100000, 150000, 150000, 200000, 250000};
    static const char* const kBusinessSuffix[] = {" inc.", " ltée", "", " et fils"};
    int year = 0;
    sepldat(p.today, &year, nullptr, nullptr);
    const std::string fee_schedule = "GT" + std::to_string(year % 100);
    for (int i = 0; i < prof.policies; ++i) {
        Policy pol;
        pol.id = out.NextId("EMPPOL");
        pol.carrier = static_cast<int>(rng.Weighted(weights));
        pol.group_no = std::to_string(rng.Int(10000, 9999999));
        const std::string& kind = rng.Pick(kEmployerKinds);
        const bool place = kind.ends_with(" de");
        pol.employer = Fit(place ? kind + " " + kCities[rng.Index(kCities.size())].name
                                 : kind + " " + rng.Pick(kFamilyNames) + rng.Pick(kBusinessSuffix),
                           40);
        pol.division = rng.Percent(70) ? "001" : "002";
        pol.pct_prevention = rng.Pick(kPrevention);
        pol.pct_basic = rng.Pick(kBasic);
        pol.pct_major = rng.Pick(kMajor);
        pol.yearly_limit = rng.Pick(kLimits);
        p.policies.push_back(pol);
        p.policy_weights.push_back(rng.Int(1, 6));
        out[kEmppol]
            .Int(pol.id)
            .Text(pol.group_no)
            .Text(p.carriers[static_cast<size_t>(pol.carrier)].code)
            .Text(pol.division)
            .Text(pol.employer)
            .Char('N')
            .Char(rng.Percent(80) ? 'F' : 'S')
            .Text(fee_schedule)
            .Int(1231)
            .Int(pol.yearly_limit * 3)
            .Int(pol.yearly_limit)
            .Int(rng.Percent(30) ? 2500 : 0);
        out[kEmppol].End();
    }
}

void WriteCodes(Practice& p, Output& out, Rng& rng) {
    p.pay_codes = {
        {"C", "Comptant", 'P', false, 0, 7},
        {"CH", "Chèque", 'P', false, 0, 11},
        {"DB", "Paiement direct (Interac)", 'P', false, 90, 38},
        {"VI", "Visa", 'P', false, 165, 16},
        {"MC", "Mastercard", 'P', false, 165, 13},
        {"AX", "American Express", 'P', false, 275, 3},
        {"VIR", "Virement Interac", 'P', false, 0, 8},
        {"CA", "Chèque d'assurance", 'I', false, 0, 0},
        {"DD", "Dépôt direct de l'assureur", 'I', true, 0, 0},
    };
    for (const PayCode& c : p.pay_codes) {
        out[kPmtscd]
            .Text(c.code)
            .Text(c.desc)
            .Char(c.type)
            .Char(c.direct_deposit ? 'Y' : 'N')
            .Int(c.rate);
        out[kPmtscd].End();
    }
    p.adj_codes = {
        {"ESCA", "Escompte aînés", 'N', false},
        {"COUR", "Courtoisie professionnelle", 'N', false},
        {"RAJ", "Rajustement d'honoraires", 'N', false},
        {"RADI", "Radiation de créance irrécouvrable", 'P', false},
        {"NSF", "Chèque sans provision", 'P', false},
        {"REMB", "Remboursement au patient", 'P', false},
        {"CADO", "Carte-cadeau du cabinet", 'P', true},
    };
    for (const AdjCode& c : p.adj_codes) {
        out[kAdjustcd].Text(c.code).Text(c.desc).Char(c.kind).Char(c.counts_as_payment ? 'Y' : 'N');
        out[kAdjustcd].End();
    }
    for (const BankInfo& b : kBanks) {
        out[kBankcd]
            .Text(b.code)
            .Text(b.name)
            .Text(std::to_string(rng.Int(100, 3999)) + ", boulevard de la Concorde Est")
            .Text("Laval")
            .Text("QC")
            .Text(PostalCode(rng, "H7G"))
            .Text(std::string(b.code) == "DESJ" ? "815-30227-0456123" : "");
        out[kBankcd].End();
        p.bank_weights.push_back(b.weight);
    }
    for (const CodeInfo& c : kProcCategories) {
        out[kProccat].Text(c.code).Text(c.text);
        out[kProccat].End();
    }
    for (const ProcInfo& c : kProcedures) {
        out[kProccd]
            .Text(c.code)
            .Text(c.code)
            .Text(c.desc)
            .Text(c.cat)
            .Char(c.kind == ProcKind::Lab ? 'Y' : 'N')
            .Int(c.fee)
            .Int(1);
        out[kProccd].End();
    }
    for (const OfficeChargeInfo& c : kOfficeCharges) {
        out[kOffchgcd].Text(c.code).Text(c.desc).Text(c.cat).Int(c.amount);
        out[kOffchgcd].End();
    }
    for (const City& c : kCities)
        p.city_weights.push_back(c.weight);
}

void WriteUsers(Practice& p, Output& out, Rng& rng) {
    const Producer& d1 = p.Prod(p.dentists[0]);
    const Producer& h1 = p.Prod(p.hygienists[0]);
    p.users = {
        {0, "admin", "Administrateur du système", "", "2,3,4,5,6,7,8,9,10"},
        {0, "reception", Fit(rng.Pick(kFemaleNames) + " " + rng.Pick(kFamilyNames), 40), "", "3,8"},
        {0, "compta", Fit(rng.Pick(kMaleNames) + " " + rng.Pick(kFamilyNames), 40), "",
         "2,3,4,5,6"},
        {0, "dentiste1", Fit(d1.first + " " + d1.last, 40), d1.code, "2,3,4,5,6,7,8,9,10"},
        {0, "hygiene1", Fit(h1.first + " " + h1.last, 40), h1.code, "8,9"},
    };
    for (User& u : p.users) {
        u.id = out.NextId("USERIDCD");
        out[kUseridcd].Int(u.id).Text(u.logon).Text(u.name).Text(u.prodcode).Text(u.rights);
        out[kUseridcd].End();
    }
    // Memos of the users (scheduled reminders) and of the producers.
    static const char* const kUserMemos[] = {
        "Commander les fournitures de stérilisation",
        "Préparer le dépôt de la semaine",
        "Vérifier les réclamations en suspens de plus de 60 jours",
        "Relancer les comptes en souffrance",
        "Confirmer les rendez-vous de samedi",
        "Envoyer les états de compte mensuels"};
    static const char* const kProducerMemos[] = {"Formation continue : cours d'endodontie à Québec",
                                                 "Renouvellement de l'inscription à l'Ordre",
                                                 "Réunion d'équipe clinique",
                                                 "Vacances : bloquer l'horaire"};
    for (const User& u : p.users) {
        const int n = rng.Int(1, 4);
        for (int i = 0; i < n; ++i) {
            const long due = p.cal->Date(p.cal->NextOpen(p.today_index + rng.Int(-45, 45)));
            out[kPatnote]
                .Int(out.NextId("PATNOTE"))
                .Int(0)
                .Int(u.id)
                .Int(0)
                .Text("SCH")
                .Char('U')
                .Int(incr_date(due, -rng.Int(5, 30)))
                .Int(due)
                .Char(due < p.today ? 'Y' : 'N')
                .Text(RichText(rng.Pick(kUserMemos)));
            out[kPatnote].End();
        }
    }
    for (const Producer& d : p.producers) {
        if (!rng.Percent(60) || d.end < p.today_index) continue;
        const long due = p.cal->Date(p.cal->NextOpen(p.today_index + rng.Int(-20, 60)));
        out[kPatnote]
            .Int(out.NextId("PATNOTE"))
            .Int(0)
            .Int(0)
            .Int(d.id)
            .Text("MEMO")
            .Char('D')
            .Int(incr_date(due, -rng.Int(10, 60)))
            .Int(due)
            .Char('N')
            .Text(RichText(rng.Pick(kProducerMemos)));
        out[kPatnote].End();
    }
}

// Revenue distribution: per billing doctor and producer, the shares of the group
// practitioners, summing to 100.00 % per key.
void WriteDistributionRules(const Practice& p, Output& out) {
    struct Rule {
        std::string group, billdr, producer;
        int percent;
        bool remainder;
    };
    std::vector<Rule> rules;
    for (int di : p.dentists) {
        const Producer& d = p.Prod(di);
        rules.push_back({d.code, d.billdr, d.code, 10000, false});
        for (int ai : p.auxiliaries)
            if (p.Prod(ai).parent == d.billdr)
                rules.push_back({d.code, d.billdr, p.Prod(ai).code, 10000, false});
        for (int hi : p.hygienists) {
            const Producer& h = p.Prod(hi);
            rules.push_back({d.code, d.billdr, h.code, 6000, false});
            rules.push_back({h.code, d.billdr, h.code, 4000, true});
        }
    }
    std::stable_sort(rules.begin(), rules.end(),
                     [](const Rule& a, const Rule& b) { return a.group < b.group; });
    for (const Rule& r : rules) {
        out[kRdist]
            .Int(out.NextId("RDIST"))
            .Text(r.group)
            .Text(r.billdr)
            .Text(r.producer)
            .Int(r.percent)
            .Char(r.remainder ? 'Y' : 'N');
        out[kRdist].End();
    }
}

void WriteSettings(const Practice& p, Output& out) {
    for (int id = 1; id <= 9; ++id) {
        out[kPpset]
            .Int(id)
            .Text("")
            .Text("")
            .Text("")
            .Text(id == 2 ? "Y" : "")
            .Text(id == 1 ? "Allergie" : "")
            .Text(id == 1 ? "Prémédication requise" : "");
        out[kPpset].End();
    }
    out[kPracinfo]
        .Int(1)
        .Text(kPracticeName)
        .Text("Centre de santé buccodentaire")
        .Text("1850, boulevard Le Corbusier")
        .Text("Bureau 210")
        .Text("Laval")
        .Text("QC")
        .Text("H7S 2K1")
        .Text("(450) 555-0142")
        .Text("accueil@cdmilleiles.example")
        .Text("www.cdmilleiles.example");
    out[kPracinfo].End();
}

void WriteCodeTables(Practice& p, Output& out, Rng& rng) {
    auto two = [&](const TableDef& t,
                   std::initializer_list<std::pair<const char*, const char*>> rows) {
        for (const auto& [a, b] : rows) {
            out[t].Text(a).Text(b);
            out[t].End();
        }
    };
    int n = 0;
    for (const City& c : kCities) {
        char code[16];
        std::snprintf(code, sizeof code, "V%03d", ++n);
        out[kCitycd].Text(code).Text(c.name).Text("QC").Text(std::string(c.fsa) + " 1A1");
        out[kCitycd].End();
    }
    two(kProvcd, {{"QC", "Québec"},
                  {"ON", "Ontario"},
                  {"NB", "Nouveau-Brunswick"},
                  {"NS", "Nouvelle-Écosse"},
                  {"BC", "Colombie-Britannique"},
                  {"AB", "Alberta"}});
    for (const auto& [code, desc, pct] :
         std::initializer_list<std::tuple<const char*, const char*, int>>{
             {"PRE", "Soins préventifs", 100},
             {"BAS", "Soins de base", 80},
             {"MAJ", "Soins majeurs", 50},
             {"ORT", "Orthodontie", 50}}) {
        out[kCvgtype].Text(code).Text(desc).Int(pct);
        out[kCvgtype].End();
    }
    int y = 0;
    sepldat(p.today, &y, nullptr, nullptr);
    for (int year = y - 1; year <= y; ++year) {
        out[kFeesched]
            .Text("GT" + std::to_string(year % 100))
            .Text("Guide des tarifs " + std::to_string(year))
            .Int(year)
            .Text("QC");
        out[kFeesched].End();
    }
    out[kGovtcd]
        .Text("RAMQE")
        .Text("Programme des enfants de moins de 10 ans")
        .Text("RAMQ")
        .Int(10);
    out[kGovtcd].End();
    out[kGovtcd].Text("RAMQA").Text("Prestataires d'une aide financière").Text("RAMQ").Int(0);
    out[kGovtcd].End();
    for (const auto& [code, desc, kind] :
         std::initializer_list<std::tuple<const char*, const char*, char>>{
             {"ACDQ", "Formulaire normalisé de réclamation", 'R'},
             {"PRED", "Demande de prédétermination", 'P'},
             {"RAMQ", "Relevé d'honoraires RAMQ", 'G'}}) {
        out[kFormcd].Text(code).Text(desc).Char(kind);
        out[kFormcd].End();
    }
    two(kCommentcd, {{"RETAR", "Votre compte est en souffrance. Merci de communiquer avec nous."},
                     {"MERCI", "Merci de votre confiance!"},
                     {"PLAN", "Un plan de paiement est disponible sur demande."}});
    two(kNotecd, {{"AR", "Suivi des comptes à recevoir"},
                  {"TEL", "Appel téléphonique"},
                  {"ASS", "Suivi avec l'assureur"}});
    for (const auto& [code, desc, months] :
         std::initializer_list<std::tuple<const char*, const char*, int>>{
             {"RAP6", "Rappel d'hygiène - 6 mois", 6},
             {"RAP9", "Rappel d'hygiène - 9 mois", 9},
             {"RAP12", "Rappel annuel", 12}}) {
        out[kRecallcd].Text(code).Text(desc).Int(months);
        out[kRecallcd].End();
    }
    two(kStatcd,
        {{"A", "Actif"}, {"I", "Inactif"}, {"N", "Nouveau patient"}, {"R", "Recouvrement"}});
    for (const auto& [code, desc, units, color] :
         std::initializer_list<std::tuple<const char*, const char*, int, const char*>>{
             {"RAP", "Rappel d'hygiène", 4, "#4A90D9"},
             {"OBT", "Obturations", 3, "#E8A33D"},
             {"URG", "Urgence", 2, "#D0021B"},
             {"END", "Endodontie", 6, "#9013FE"},
             {"PRO", "Prothèse", 4, "#7ED321"},
             {"NP", "Nouveau patient", 6, "#50E3C2"}}) {
        out[kApttype].Text(code).Text(desc).Int(units).Text(color);
        out[kApttype].End();
        out[kAptcode].Text(code).Text(desc).Int(units).Text(code);
        out[kAptcode].End();
    }
    for (int i = 1; i <= 6; ++i) {
        const int prod = i <= 3 ? p.dentists[static_cast<size_t>(i - 1) % p.dentists.size()]
                                : p.hygienists[static_cast<size_t>(i - 4) % p.hygienists.size()];
        char code[16];
        std::snprintf(code, sizeof code, "F%02d", i);
        out[kChaircd].Text(code).Text("Fauteuil " + std::to_string(i)).Text(p.Prod(prod).code);
        out[kChaircd].End();
    }
    out[kClinic]
        .Text("CDMI")
        .Text(kPracticeName)
        .Text("1850, boulevard Le Corbusier")
        .Text("Laval")
        .Text("QC")
        .Text("H7S 2K1")
        .Text("(450) 555-0142");
    out[kClinic].End();
    static const char* const kQuestions[] = {"Êtes-vous allergique à un médicament?",
                                             "Prenez-vous des anticoagulants?",
                                             "Souffrez-vous de diabète?",
                                             "Avez-vous des problèmes cardiaques?",
                                             "Faites-vous de l'hypertension?",
                                             "Êtes-vous enceinte?",
                                             "Avez-vous déjà eu une réaction à l'anesthésie?",
                                             "Fumez-vous?",
                                             "Portez-vous une prothèse articulaire?",
                                             "Souffrez-vous d'asthme?"};
    int q = 0;
    for (const char* text : kQuestions) {
        ++q;
        out[kMedqcd].Int(q).Text(text).Char(q == 1 || q == 2 || q == 9 ? 'Y' : 'N');
        out[kMedqcd].End();
    }
    for (const auto& [code, desc, level] :
         std::initializer_list<std::tuple<const char*, const char*, int>>{
             {"ALLER", "Allergie médicamenteuse", 3},
             {"PREMD", "Prémédication requise", 3},
             {"ANXIE", "Patient anxieux", 1},
             {"LATEX", "Allergie au latex", 3}}) {
        out[kAlertcd].Text(code).Text(desc).Int(level);
        out[kAlertcd].End();
    }
    two(kReftype, {{"SPE", "Dentiste spécialiste"},
                   {"MED", "Médecin"},
                   {"PAT", "Patient du cabinet"},
                   {"PUB", "Publicité"},
                   {"WEB", "Site Web"}});
    // Referral sources and specialists.
    struct Ref {
        const char* code;
        char type;
        const char* title;
        const char* comment;
    };
    static const Ref kRefs[] = {
        {"ENDO1", 'D', "Dre", "Endodontiste"},      {"PARO1", 'D', "Dr", "Parodontiste"},
        {"ORTH1", 'D', "Dre", "Orthodontiste"},     {"CHIR1", 'D', "Dr", "Chirurgien buccal"},
        {"MED01", 'D', "Dr", "Médecin de famille"}, {"WEB", 'S', "", "Site Web du cabinet"},
        {"PUB", 'S', "", "Publicité locale"},       {"AMI", 'S', "", "Ami ou famille"},
        {"ASSUR", 'S', "", "Liste de l'assureur"}};
    for (const Ref& r : kRefs) {
        const bool doctor = r.type == 'D';
        out[kRefercd]
            .Text(r.code)
            .Char(r.type)
            .Text(doctor ? rng.Pick(kFamilyNames) : r.comment)
            .Text(doctor ? (std::string(r.title) == "Dre" ? rng.Pick(kFemaleNames)
                                                          : rng.Pick(kMaleNames))
                         : std::string())
            .Text(r.title)
            .Text(doctor ? std::to_string(rng.Int(100, 4999)) + ", " + rng.Pick(kStreets)
                         : std::string())
            .Text(doctor ? "Laval" : "")
            .Text(doctor ? "QC" : "")
            .Text(doctor ? PostalCode(rng, "H7T") : std::string())
            .Text(doctor ? Phone(rng, "450") : std::string())
            .Text(doctor ? Phone(rng, "450") : std::string())
            .Text(doctor ? std::to_string(rng.Int(10000, 99999)) : std::string())
            .Text(r.comment);
        out[kRefercd].End();
        if (std::string(r.code) == "MED01" || !doctor) p.referral_sources.push_back(r.code);
        if (doctor && std::string(r.code) != "MED01") p.specialists.push_back(r.code);
    }
}

}  // namespace

void BuildPractice(Practice& p, Output& out, Rng& rng) {
    WriteProducers(p, out, rng);
    WriteCarriersAndPolicies(p, out, rng);
    WriteCodes(p, out, rng);
    WriteUsers(p, out, rng);
    WriteDistributionRules(p, out);
    WriteSettings(p, out);
    WriteCodeTables(p, out, rng);
}

}  // namespace demo
