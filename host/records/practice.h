// Host helpers over the practice records: producer codes, billing doctors, the practice's
// address, phone numbers and ages as the reports print them.
#pragma once

#include <map>
#include <string>

#include "host/base/errors.h"
#include "host/db/gendb.h"

// The producer code of a code the reports hold. A code of one or two characters is a
// billing doctor's code: its producer code is "D" followed by it ("01" -> "D01"); with
// from_records set and a database open, the code of the type 'D' producer whose
// PROD_BILLDR is that code is preferred when there is one. A longer code is a producer
// code already and is returned as it is. Blanks around the code are ignored; null or
// empty gives "".
std::string GetProdCode(const char* billing_or_producer_code, bool from_records = false);

// True when the producer of this code is a dentist (type 'D') that bills (PROD_BILLDR
// not empty). Reads the application's database, or db when given; false when there is
// none or the code is unknown.
bool IsBillingDr(const char* producer_code, GenDB* db = nullptr);

// A producer's name as the reports head their groups with it, trimmed.
struct ProducerName {
    std::string first, last, title;
    // "Last, First"; the last name alone when there is no first name.
    std::string LastFirst() const { return first.empty() ? last : last + ", " + first; }
    // "Last, First" even without a first name, as the doctors' headings print it.
    std::string LastCommaFirst() const { return last + ", " + first; }
};
// Every producer's name by its code (trimmed), read in one pass over the producers, so that a
// report heading many groups asks the database once. Reads the application's database, or
// db when given; false when there is none or the read fails.
bool ReadProducerNames(std::map<std::string, ProducerName>* out, GenDB* db = nullptr);

// A phone number as printed in Quebec, from any text holding its digits:
//   10 digits "(514) 555-1234"; 11 digits starting with 1 lose the 1; 7 digits "555-1234";
//   more than 10 digits: the first 10 formatted, the rest " poste 123".
// With compact set the area code is written "514 555-1234" (narrow columns). A text with
// another number of digits is copied as it is (trimmed). out holds at least 32 bytes;
// longer results are cut. Returns out.
char* mk_phone_no(const char* digits, char* out, bool compact = false);

// The age in whole years on `today` of someone born on `birthdate` ("42"); empty when
// either date is not a real date or the birth is after today. out holds at least 8 bytes.
// Returns out.
char* mk_age_str(long birthdate, long today, char* out);

// The practice's address record (PRACINFO).
struct pracadd_struct {
    std::string name;
    std::string name2;
    std::string addr1;
    std::string addr2;
    std::string city;
    std::string prov;
    std::string postal;
    std::string phone;
    std::string email;
    std::string website;
};

// The host's practice settings object: loads the practice's address record from the
// application's database (or db) when built.
class TPracAddIni {
  public:
    explicit TPracAddIni(GenDB* db = nullptr);
    // False when there was no database or no practice row (the record is then empty).
    bool IsLoaded() const { return loaded_; }
    const pracadd_struct& GetRec() const { return rec_; }
    pracadd_struct* GetRecPtr() { return &rec_; }
    // Stores the record into the practice row, creating it when there is none.
    bool Save(TEmgBase* err = nullptr);

  private:
    GenDB* db_;
    pracadd_struct rec_;
    bool loaded_ = false;
};
