// Reference data of the demo practice: French-Canadian names, Quebec places, the carriers,
// banks, payment, adjustment and office-charge codes, and the procedure catalogue.
#pragma once

#include <string>
#include <vector>

namespace demo {

extern const std::vector<std::string> kFamilyNames;
extern const std::vector<std::string> kMaleNames;
extern const std::vector<std::string> kFemaleNames;
extern const std::vector<std::string> kStreets;

struct City {
    const char* name;
    const char* fsa;   // first three characters of the postal code
    const char* area;  // telephone area code
    int weight;        // share of the practice's patients
};
extern const std::vector<City> kCities;

struct CarrierInfo {
    const char* code;
    const char* name;
    const char* city;
    int weight;  // share of the group policies
    bool govt;
};
// The public plan first, then the usual private carriers.
extern const std::vector<CarrierInfo> kCarriers;
// Words from which the further carriers of a large practice are named.
extern const std::vector<std::string> kCarrierWords;
extern const std::vector<std::string> kEmployerKinds;

struct BankInfo {
    const char* code;
    const char* name;
    int weight;
};
extern const std::vector<BankInfo> kBanks;

struct CodeInfo {
    const char* code;
    const char* text;
};

// Procedure kinds, which decide who performs a procedure and how a plan covers it.
enum class ProcKind {
    Exam,
    XRay,
    Prevention,
    Hygiene,
    Restorative,
    Endo,
    Perio,
    Crown,
    Denture,
    Surgery,
    Lab,
    Other
};

struct ProcInfo {
    const char* code;
    const char* desc;
    const char* cat;
    int fee;  // cents
    ProcKind kind;
    bool ramq;   // covered by the public plan for young children
    char tooth;  // 'Y' a tooth, 'S' a tooth and surfaces, 'N' none
};
extern const std::vector<ProcInfo> kProcedures;
extern const std::vector<CodeInfo> kProcCategories;

struct OfficeChargeInfo {
    const char* code;
    const char* desc;
    const char* cat;
    int amount;
};
extern const std::vector<OfficeChargeInfo> kOfficeCharges;

}  // namespace demo
