// The record structs of the host's record classes: one member per column of the table,
// named after the column without its prefix (ACC_PAT_BAL -> pat_bal; the primary key keeps
// it: ACC_ID -> acc_id). Texts are std::string (written cut to their column's width),
// dates and identifiers long (YYYYMMDD for dates), stored amounts int32_t cents, one-letter
// codes and flags char. A new record holds the schema's defaults.
#pragma once

#include <cstdint>
#include <string>

// PRACINFO: the practice's address and identification (one row).
struct pracinfo_struct {
    long prac_id = 0;
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
    int32_t special_version = 0;
    int32_t calc_mode = 1;
    char future_ar = 'Y';
    int32_t doctor_code_opt = 0;
};

// ACCOUNT: an account (family) with the stored balances and aged amounts of its last aging.
struct account_struct {
    long acc_id = 0;
    std::string lname;
    std::string pname;
    std::string mname;
    std::string nickname;
    std::string suffix;
    std::string addr1;
    std::string addr2;
    std::string city;
    std::string prov;
    std::string postal;
    std::string home_ph;
    std::string work_ph;
    char phone_kind = 'H';
    char status = 'A';
    char ins_billing = 'Y';
    char sys_inactive = 'N';
    char statements = 'Y';
    char emailstmt = 'N';
    long open_date = 0;
    long delete_date = 0;
    long statement_date = 0;
    int32_t statement_amt = 0;
    long interest_date = 0;
    int32_t interest_amt = 0;
    long claim_date = 0;
    int32_t claim_amt = 0;
    long pmt_date = 0;
    int32_t pmt_amt = 0;
    std::string pmt_dr;
    int32_t pat_bal = 0;
    int32_t ins_bal = 0;
    long aged_date = 0;
    int32_t pat_cur = 0;
    int32_t pat_30 = 0;
    int32_t pat_60 = 0;
    int32_t pat_90 = 0;
    int32_t ins_cur = 0;
    int32_t ins_30 = 0;
    int32_t ins_60 = 0;
    int32_t ins_90 = 0;
    int32_t pat_fut = 0;
    int32_t ins_fut = 0;
    int32_t add_amt = 0;
    int32_t stmt_cnt = 0;
    int32_t notice_cnt = 0;
    int32_t pplan_bal = 0;
    std::string comment;
};

// PATIENT: a patient of an account.
struct patient_struct {
    long pat_id = 0;
    long acc_id = 0;
    std::string lname;
    std::string pname;
    std::string mname;
    std::string nickname;
    std::string title;
    char sex = 'U';
    long birthdate = 0;
    std::string addr1;
    std::string addr2;
    std::string city;
    std::string prov;
    std::string postal;
    std::string home_ph;
    std::string work_ph;
    std::string other_ph;
    std::string email;
    std::string doctor;
    std::string hygienist;
    char status = 'A';
    char responsible = 'N';
    char policyholder = 'N';
    char patient = 'Y';
    char student = 'N';
    char handicap = 'N';
    char marital = 'U';
    std::string off_code1;
    std::string off_code2;
    std::string off_code3;
    std::string off_code4;
    std::string off_code5;
    long open_date = 0;
    long delete_date = 0;
    long last_visit = 0;
    long last_claim_date = 0;
    std::string chart_no;
    std::string med_no1;
    std::string med_no2;
    std::string sin;
    char language = 'F';
    std::string notes;
    std::string med_comment;
    char quickadd_apt = 'N';
    char quickadd = 'N';
    char premed = 'N';
    std::string custom1;
    std::string custom2;
    std::string custom3;
    std::string custom4;
    char flag1 = 'N';
    char flag2 = 'N';
    char flag3 = 'N';
    char flag4 = 'N';
};

// PATCLM: a claim (status E estimate, P pending, I invoiced, C closed).
struct patclm_struct {
    long pclm_id = 0;
    long pat_id = 0;
    std::string number;
    char status = 'I';
    char edi_status = '\0';
    long date = 0;
    long submit_date = 0;
    std::string doctor;
    std::string insco;
    int32_t total = 0;
};

// CLMTRT: a treatment line of a claim.
struct clmtrt_struct {
    long ctrt_id = 0;
    long pclm_id = 0;
    std::string claim_no;
    std::string bill_doc;
    std::string producer;
    long date = 0;
    long system_date = 0;
    long del_date = 0;
    std::string status;
    char edi_status = '\0';
    std::string code;
    std::string system_code;
    std::string code_fc_desc;
    std::string tooth;
    std::string surface;
    int32_t units = 1;
    char type = 'T';
    int32_t total = 0;
    int32_t ins_total = 0;
    int32_t ins_amt1 = 0;
    int32_t ins_amt2 = 0;
    int32_t ins_amt3 = 0;
    std::string ins_co1;
    std::string ins_co2;
    std::string ins_co3;
    char ins_assign1 = 'N';
    char ins_assign2 = 'N';
    char ins_assign3 = 'N';
    char preauth = 'N';
    char adj_flag = '\0';
    int32_t adj_amt = 0;
    std::string fee_cat;
};

// PATOCH: an office charge (other charge) of a patient.
struct patoch_struct {
    long poch_id = 0;
    long pat_id = 0;
    long date = 0;
    long sysdate = 0;
    long deldate = 0;
    std::string code;
    char type = 'O';
    std::string descript;
    int32_t total = 0;
    std::string billdr;
    std::string servno;
};

// ACCPMT: a payment, adjustment or transfer of an account.
struct accpmt_struct {
    long apmt_id = 0;
    long acc_id = 0;
    char rectype = 'P';
    char type = 'P';
    long date = 0;
    long sysdate = 0;
    long deldate = 0;
    std::string code;
    std::string descrip;
    std::string payor;
    std::string bank;
    int32_t total = 0;
    int32_t held_amt = 0;
    char dep = 'Y';
    char pmt = '\0';
    char adj_kind = '\0';
    std::string trxno;
    char reversed = 'N';
};

// PMTAPP: an application of a payment to a treatment, an office charge or a credit.
struct pmtapp_struct {
    long papp_id = 0;
    long apmt_id = 0;
    char rectype = 'T';
    long ctrt_id = 0;
    long poch_id = 0;
    long pat_id = 0;
    char type = 'P';
    long date = 0;
    long sysdate = 0;
    int32_t amount = 0;
    std::string producer;
    std::string billdr;
};

// PATPPLAN: a payment plan of an account.
struct patpplan_struct {
    long ppln_id = 0;
    long acc_id = 0;
    std::string doctor;
    long start = 0;
    int32_t amount = 0;
    int32_t balance = 0;
    int32_t pmt_amt = 0;
    char freq = 'M';
    char status = 'A';
};

// PATNOTE: a note or memo of a patient, user or producer.
struct patnote_struct {
    long pnot_id = 0;
    long pat_id = 0;
    long user_id = 0;
    long prd_id = 0;
    std::string type;
    char rectype = '\0';
    long date = 0;
    long duedate = 0;
    char done = 'N';
    std::string comment;
};

// PRODCD: a producer, with its stored year-to-date figures and receivable balances.
struct prodcd_struct {
    long prod_id = 0;
    std::string code;
    char type = 'D';
    std::string first_name;
    std::string last_name;
    std::string title;
    std::string license;
    std::string billdr;
    char flag = 'N';
    char active = 'Y';
    std::string phone;
    long ytd_procs = 0;
    long ytd_dental = 0;
    long ytd_lab = 0;
    long ytd_offchg = 0;
    long ytd_feeadj = 0;
    long ytd_fees = 0;
    long ytd_feesaux = 0;
    long ytd_pmts = 0;
    long ytd_transf = 0;
    long ytd_pmtadj = 0;
    long ytd_net = 0;
    long ar_prod = 0;
    long ar_billdr = 0;
};

// USERIDCD: a user and its rights to the reports.
struct useridcd_struct {
    long usr_id = 0;
    std::string logon;
    std::string name;
    std::string prodcode;
    std::string rights;
};

// INSCO: an insurance carrier.
struct insco_struct {
    std::string ins_code;
    std::string edi_code;
    std::string name;
    std::string addr1;
    std::string addr2;
    std::string city;
    std::string prov;
    std::string postal;
    std::string phone;
    char network = 'N';
    char billing = 'C';
    char govt = 'N';
};

// PMTSCD: a payment code.
struct pmtscd_struct {
    std::string payment_code;
    std::string descript;
    char type = 'P';
    char dpsts = 'N';
    int32_t rate = 0;
};

// ADJUSTCD: an adjustment code (kind N adjusts fees, P payments).
struct adjustcd_struct {
    std::string adjust_code;
    std::string descript;
    char kind = 'N';
    char pmt = 'N';
};

// BANKCD: a bank.
struct bankcd_struct {
    std::string bnk_code;
    std::string name;
    std::string addr1;
    std::string addr2;
    std::string city;
    std::string prov;
    std::string postal;
    std::string account_no;
};

// PROCCAT: a procedure category.
struct proccat_struct {
    std::string pcat_code;
    std::string desc;
};

// PROCCD: a procedure code.
struct proccd_struct {
    std::string proc_sys_code;
    std::string code;
    std::string fc_desc;
    std::string catcode;
    char is_lab = 'N';
    int32_t fee = 0;
    int32_t units = 1;
};

// OFFCHGCD: an office charge code.
struct offchgcd_struct {
    std::string offchg_code;
    std::string descript;
    std::string catcode;
    int32_t amount = 0;
};

// DAYEND: the day-end state (one row, id 1).
struct dayend_struct {
    long dend_id = 0;
    long lastday = 0;
    long menddate = 0;
    long yenddate = 0;
    long laststat = 0;
    char printed = 'N';
};

// DAYDET: the day-end record of one day.
struct daydet_struct {
    long ddet_id = 0;
    long date = 0;
    char printed = 'N';
    char closed = 'N';
};

// DAYSHT: one line of the day sheet.
struct daysht_struct {
    long dsht_id = 0;
    long date = 0;
    long rec_id = 0;
    std::string billdr;
    std::string producer;
    char sort_id = '\0';
    char rectype = '\0';
    long pat_id = 0;
};

// RDIST: a revenue distribution rule.
struct rdist_struct {
    long rdst_id = 0;
    std::string group;
    std::string billdr;
    std::string producer;
    int32_t percent = 0;
    char remainder = 'N';
};

// EMPPOL: an employer (group) policy.
struct emppol_struct {
    long epol_id = 0;
    std::string group_no;
    std::string insco;
    std::string division;
    std::string employer;
    char govt = 'N';
    char coverage = 'F';
    char ins_billing = 'Y';
    std::string feesched;
    int32_t year_end = 1231;
    char edi = 'Y';
    int32_t fam_limit = 0;
    int32_t fam_deduct = 0;
    int32_t pat_limit = 0;
    int32_t pat_deduct = 0;
};

// PATDEP: a patient's membership of a policy.
struct patdep_struct {
    long pdep_id = 0;
    long pat_id = 0;
    long epol_id = 0;
    long holder_pat_id = 0;
    std::string policy_id;
    char relation = 'S';
    char active = 'Y';
    int32_t limit = 0;
    int32_t deduct = 0;
    long reset_date = 0;
};

// STATCD: a status code.
struct statcd_struct {
    char stat_code = '\0';
    std::string desc;
};

// PPSET: one row of practice settings. Its columns come in families that the settings
// code names by position: the k-th integer field (PPST_INT_FIELDkk, 16-bit) and the k-th
// field of each text family (A2: one character, A11: up to 10, A51: up to 50, A81: up to
// 80 characters). The accessors take k from 1; a k outside the family gives a scratch
// field that is never stored.
struct ppset_struct {
    static constexpr int kInts = 20, kA2 = 10, kA11 = 10, kA51 = 20, kA81 = 5;
    long ppst_id = 0;
    short int_field[kInts] = {};
    char a2_field[kA2] = {};
    std::string a11_field[kA11];
    std::string a51_field[kA51];
    std::string a81_field[kA81];

    short& IntField(int k) { return k >= 1 && k <= kInts ? int_field[k - 1] : scratch_int; }
    char& A2Field(int k) { return k >= 1 && k <= kA2 ? a2_field[k - 1] : scratch_char; }
    std::string& A11Field(int k) { return k >= 1 && k <= kA11 ? a11_field[k - 1] : scratch; }
    std::string& A51Field(int k) { return k >= 1 && k <= kA51 ? a51_field[k - 1] : scratch; }
    std::string& A81Field(int k) { return k >= 1 && k <= kA81 ? a81_field[k - 1] : scratch; }

    short scratch_int = 0;
    char scratch_char = '\0';
    std::string scratch;
};

// RECSCAN with its criteria (RSCNCRIT rows): a saved report-generator definition.
// Criteria are held in parallel arrays, in order; a criterion type of 0 ends the list.
struct recscan_struct {
    static constexpr int kCriteria = 10, kValues = 4, kValueWidth = 20;
    long rscn_id = 0;
    short no = 0;  // the definition's number, from 1
    std::string name;
    short type = 0;  // table type 1 to 11
    char detailed = 'N';
    long date = 0;
    short sort_type = 0;
    short sort_field = 0;
    short crit_type[kCriteria] = {};
    short crit_field[kCriteria] = {};
    short crit_cond[kCriteria] = {};  // 1 "=", 2 "not =", 3 "one of", 4 "between"
    std::string crit_value[kCriteria][kValues];

    // Criteria in use (before the first type 0).
    int CriteriaCount() const {
        int n = 0;
        while (n < kCriteria && crit_type[n] != 0)
            ++n;
        return n;
    }
};

// One day-sheet line as the producer analysis and the revenue distribution read it.
struct dsht_struct {
    long date = 0;
    long recid = 0;
    char billdr[3] = {};
    char producer[4] = {};
    char sortid = '\0';
    char rectype = '\0';
    long patid = 0;
};
