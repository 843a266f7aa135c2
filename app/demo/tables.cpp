// Columns the generator fills, table by table (the others keep their defaults).
#include "app/demo/model.h"

namespace demo::tables {

const TableDef kAccount{
    "ACCOUNT", {"ACC_ID",           "ACC_LNAME",          "ACC_PNAME",         "ACC_ADDR1",
                "ACC_ADDR2",        "ACC_CITY",           "ACC_PROV",          "ACC_POSTAL",
                "ACC_HOME_PH",      "ACC_WORK_PH",        "ACC_PHONE_KIND",    "ACC_STATUS",
                "ACC_SYS_INACTIVE", "ACC_STATEMENTS",     "ACC_EMAILSTMT",     "ACC_OPEN_DATE",
                "ACC_DELETE_DATE",  "ACC_STATEMENT_DATE", "ACC_STATEMENT_AMT", "ACC_CLAIM_DATE",
                "ACC_CLAIM_AMT",    "ACC_PMT_DATE",       "ACC_PMT_AMT",       "ACC_PMT_DR",
                "ACC_PAT_BAL",      "ACC_INS_BAL",        "ACC_AGED_DATE",     "ACC_PAT_CUR",
                "ACC_PAT_30",       "ACC_PAT_60",         "ACC_PAT_90",        "ACC_INS_CUR",
                "ACC_INS_30",       "ACC_INS_60",         "ACC_INS_90",        "ACC_PAT_FUT",
                "ACC_INS_FUT",      "ACC_ADD_AMT",        "ACC_STMT_CNT",      "ACC_NOTICE_CNT",
                "ACC_PPLAN_BAL",    "ACC_COMMENT"}};

const TableDef kPatient{
    "PATIENT", {"PAT_ID",          "PAT_ACCID",       "PAT_LNAME",           "PAT_PNAME",
                "PAT_TITLE",       "PAT_SEX",         "PAT_BIRTHDATE",       "PAT_ADDR1",
                "PAT_CITY",        "PAT_PROV",        "PAT_POSTAL",          "PAT_HOME_PH",
                "PAT_WORK_PH",     "PAT_EMAIL",       "PAT_DOCTOR",          "PAT_HYGIENIST",
                "PAT_STATUS",      "PAT_RESPONSIBLE", "PAT_POLICYHOLDER",    "PAT_PATIENT",
                "PAT_STUDENT",     "PAT_MARITAL",     "PAT_OFF_CODE1",       "PAT_OPEN_DATE",
                "PAT_DELETE_DATE", "PAT_LAST_VISIT",  "PAT_LAST_CLAIM_DATE", "PAT_CHART_NO",
                "PAT_MED_NO1",     "PAT_LANGUAGE",    "PAT_PREMED",          "PAT_FLAG1",
                "PAT_FLAG2",       "PAT_NOTES"}};

const TableDef kPatclm{
    "PATCLM",
    {"PCLM_ID", "PCLM_PATID", "PCLM_NUMBER", "PCLM_STATUS", "PCLM_EDI_STATUS", "PCLM_DATE",
     "PCLM_SUBMIT_DATE", "PCLM_DOCTOR", "PCLM_INSCO", "PCLM_TOTAL"}};

const TableDef kClmtrt{
    "CLMTRT",
    {"CTRT_ID",          "CTRT_PCLMID",       "CTRT_CLAIM_NO",  "CTRT_BILL_DOC", "CTRT_PRODUCER",
     "CTRT_DATE",        "CTRT_SYSTEM_DATE",  "CTRT_DEL_DATE",  "CTRT_STATUS",   "CTRT_CODE",
     "CTRT_SYSTEM_CODE", "CTRT_CODE_FC_DESC", "CTRT_TOOTH",     "CTRT_SURFACE",  "CTRT_UNITS",
     "CTRT_TYPE",        "CTRT_TOTAL",        "CTRT_INS_TOTAL", "CTRT_INS_AMT1", "CTRT_INS_AMT2",
     "CTRT_INS_AMT3",    "CTRT_INS_CO1",      "CTRT_INS_CO2",   "CTRT_INS_CO3",  "CTRT_INS_ASSIGN1",
     "CTRT_INS_ASSIGN2", "CTRT_INS_ASSIGN3",  "CTRT_PREAUTH",   "CTRT_ADJ_FLAG", "CTRT_ADJ_AMT"}};

const TableDef kPatoch{"PATOCH",
                       {"POCH_ID", "POCH_PATID", "POCH_DATE", "POCH_SYSDATE", "POCH_DELDATE",
                        "POCH_CODE", "POCH_TYPE", "POCH_DESCRIPT", "POCH_TOTAL", "POCH_BILLDR"}};

const TableDef kAccpmt{
    "ACCPMT",
    {"APMT_ID", "APMT_ACCID", "APMT_RECTYPE", "APMT_TYPE", "APMT_DATE", "APMT_SYSDATE", "APMT_CODE",
     "APMT_DESCRIP", "APMT_PAYOR", "APMT_BANK", "APMT_TOTAL", "APMT_DEP", "APMT_PMT",
     "APMT_ADJ_KIND", "APMT_TRXNO", "APMT_DELDATE", "APMT_REVERSED"}};

const TableDef kPmtapp{
    "PMTAPP",
    {"PAPP_ID", "PAPP_APMTID", "PAPP_RECTYPE", "PAPP_CTRTID", "PAPP_POCHID", "PAPP_PATID",
     "PAPP_TYPE", "PAPP_DATE", "PAPP_SYSDATE", "PAPP_AMOUNT", "PAPP_PRODUCER", "PAPP_BILLDR"}};

const TableDef kPatpplan{"PATPPLAN",
                         {"PPLN_ID", "PPLN_ACCID", "PPLN_DOCTOR", "PPLN_START", "PPLN_AMOUNT",
                          "PPLN_BALANCE", "PPLN_PMT_AMT", "PPLN_FREQ", "PPLN_STATUS"}};

const TableDef kPatnote{"PATNOTE",
                        {"PNOT_ID", "PNOT_PATID", "PNOT_USERID", "PNOT_PRDID", "PNOT_TYPE",
                         "PNOT_RECTYPE", "PNOT_DATE", "PNOT_DUEDATE", "PNOT_DONE", "PNOT_COMMENT"}};

const TableDef kProdcd{
    "PRODCD",
    {"PROD_ID", "PROD_CODE", "PROD_TYPE", "PROD_FIRST_NAME", "PROD_LAST_NAME", "PROD_TITLE",
     "PROD_LICENSE", "PROD_BILLDR", "PROD_FLAG", "PROD_ACTIVE", "PROD_PHONE"}};

const TableDef kUseridcd{"USERIDCD",
                         {"USR_ID", "USER_LOGON", "USER_NAME", "USER_PRODCODE", "USER_RIGHTS"}};

const TableDef kInsco{"INSCO",
                      {"INS_CODE", "INS_EDI_CODE", "INS_NAME", "INS_ADDR1", "INS_CITY", "INS_PROV",
                       "INS_POSTAL", "INS_PHONE", "INS_NETWORK", "INS_BILLING", "INS_GOVT"}};

const TableDef kPmtscd{
    "PMTSCD",
    {"PAYMENT_CODE", "PAYMENT_DESCRIPT", "PAYMENT_TYPE", "PAYMENT_DPSTS", "PAYMENT_RATE"}};

const TableDef kAdjustcd{"ADJUSTCD",
                         {"ADJUST_CODE", "ADJUST_DESCRIPT", "ADJUST_KIND", "ADJUST_PMT"}};

const TableDef kBankcd{
    "BANKCD",
    {"BNK_CODE", "BNK_NAME", "BNK_ADDR1", "BNK_CITY", "BNK_PROV", "BNK_POSTAL", "BNK_ACCOUNT_NO"}};

const TableDef kProccat{"PROCCAT", {"PCAT_CODE", "PCAT_DESC"}};

const TableDef kProccd{"PROCCD",
                       {"PROC_SYS_CODE", "PROC_CODE", "PROC_FC_DESC", "PROC_CATCODE", "PROC_IS_LAB",
                        "PROC_FEE", "PROC_UNITS"}};

const TableDef kOffchgcd{"OFFCHGCD",
                         {"OFFCHG_CODE", "OFFCHG_DESCRIPT", "OFFCHG_CATCODE", "OFFCHG_AMOUNT"}};

const TableDef kDayend{
    "DAYEND",
    {"DEND_ID", "DEND_LASTDAY", "DEND_MENDDATE", "DEND_YENDDATE", "DEND_LASTSTAT", "DEND_PRINTED"}};

const TableDef kDaydet{"DAYDET", {"DDET_ID", "DDET_DATE", "DDET_PRINTED", "DDET_CLOSED"}};

const TableDef kDaysht{"DAYSHT",
                       {"DSHT_ID", "DSHT_DATE", "DSHT_RECID", "DSHT_BILLDR", "DSHT_PRODUCER",
                        "DSHT_SORTID", "DSHT_RECTYPE", "DSHT_PATID"}};

const TableDef kRdist{
    "RDIST",
    {"RDST_ID", "RDST_GROUP", "RDST_BILLDR", "RDST_PRODUCER", "RDST_PERCENT", "RDST_REMAINDER"}};

const TableDef kPpset{"PPSET",
                      {"PPST_ID", "PPST_A2_FIELD01", "PPST_A2_FIELD02", "PPST_A2_FIELD03",
                       "PPST_A2_FIELD04", "PPST_A81_FIELD01", "PPST_A81_FIELD02"}};

const TableDef kCtrtlink{"CTRTLINK", {"CTLK_ID", "CTLK_CHART", "CTLK_EXTRA1", "CTLK_DATE"}};

const TableDef kPatapt{"PATAPT",
                       {"PAPT_ID", "PAPT_PATID", "PAPT_DATE", "PAPT_TIME", "PAPT_STATUS",
                        "PAPT_PRODUCER", "PAPT_CHAIR", "PAPT_UNITS", "PAPT_MCBCODE", "PAPT_TYPE",
                        "PAPT_PROCEDURE", "PAPT_DELDATE", "PAPT_CONFIRMED"}};

const TableDef kPatrcl{"PATRCL",
                       {"PRCL_ID", "PRCL_PATID", "PRCL_DATE", "PRCL_CODE", "PRCL_DESCRIPTION",
                        "PRCL_PRODUCER", "PRCL_UNITS", "PRCL_ORIG_DATE", "PRCL_BOOKED"}};

const TableDef kPattxp{"PATTXP",
                       {"PTXP_ID", "PTXP_PATID", "PTXP_DATE", "PTXP_STATUS", "PTXP_DESC"}};

const TableDef kTxptrt{
    "TXPTRT",
    {"TTRT_ID", "TTRT_TXPID", "TTRT_DATE", "TTRT_SYSTEM_CODE", "TTRT_CODE_FC_DESC", "TTRT_TOOTH",
     "TTRT_SURFACE", "TTRT_PRODUCER", "TTRT_TOTAL", "TTRT_STATUS"}};

const TableDef kEmppol{"EMPPOL",
                       {"EPOL_ID", "EPOL_GROUP_NO", "EPOL_INSCO", "EPOL_DIVISION", "EPOL_EMPLOYER",
                        "EPOL_GOVT", "EPOL_COVERAGE", "EPOL_FEESCHED", "EPOL_YEAR_END",
                        "EPOL_FAM_LIMIT", "EPOL_PAT_LIMIT", "EPOL_PAT_DEDUCT"}};

const TableDef kPatdep{
    "PATDEP",
    {"PDEP_ID", "PDEP_PATID", "PDEP_EPOLID", "PDEP_HOLDER_PATID", "PDEP_POLICY_ID", "PDEP_RELATION",
     "PDEP_ACTIVE", "PDEP_LIMIT", "PDEP_DEDUCT", "PDEP_RESET_DATE"}};

const TableDef kFamins{"FAMINS",
                       {"FINS_ID", "FINS_ACCID", "FINS_EPOLID", "FINS_POLICY_ID", "FINS_START",
                        "FINS_FAM_LIMIT", "FINS_FAM_DEDUCT"}};

const TableDef kPatmed{"PATMED",
                       {"PMED_ID", "PMED_PATID", "PMED_QUESTION", "PMED_ANSWER", "PMED_COMMENT"}};

const TableDef kPatrefer{"PATREFER",
                         {"PREF_ID", "PREF_PATID", "PREF_BYTYPE", "PREF_BY", "PREF_TO",
                          "PREF_DATE_OUT", "PREF_DATE_DUE", "PREF_DATE_IN", "PREF_MARK_DATE"}};

const TableDef kRefercd{
    "REFERCD",
    {"REF_CODE", "REF_TYPE", "REF_LNAME", "REF_PNAME", "REF_TITLE", "REF_ADDR1", "REF_CITY",
     "REF_PROV", "REF_POSTAL", "REF_WORK_PH", "REF_FAX", "REF_LICENSE", "REF_COMMENT"}};

const TableDef kRefstat{
    "REFSTAT",
    {"RSTA_CODE", "RSTA_TOTAL", "RSTA_YTD", "RSTA_LAST_DATE", "RSTA_M01", "RSTA_M02", "RSTA_M03",
     "RSTA_M04",  "RSTA_M05",   "RSTA_M06", "RSTA_M07",       "RSTA_M08", "RSTA_M09", "RSTA_M10",
     "RSTA_M11",  "RSTA_M12",   "RSTA_L01", "RSTA_L02",       "RSTA_L03", "RSTA_L04", "RSTA_L05",
     "RSTA_L06",  "RSTA_L07",   "RSTA_L08", "RSTA_L09",       "RSTA_L10", "RSTA_L11", "RSTA_L12"}};

const TableDef kReftype{"REFTYPE", {"RTYP_CODE", "RTYP_DESC"}};

const TableDef kPracinfo{
    "PRACINFO",
    {"PRAC_ID", "PRAC_NAME", "PRAC_NAME2", "PRAC_ADDR1", "PRAC_ADDR2", "PRAC_CITY", "PRAC_PROV",
     "PRAC_POSTAL", "PRAC_PHONE", "PRAC_EMAIL", "PRAC_WEBSITE"}};

const TableDef kCitycd{"CITYCD", {"CITY_CODE", "CITY_NAME", "CITY_PROV", "CITY_POSTAL"}};
const TableDef kProvcd{"PROVCD", {"PROV_CODE", "PROV_NAME"}};
const TableDef kCvgtype{"CVGTYPE", {"CVG_CODE", "CVG_DESC", "CVG_PERCENT"}};
const TableDef kFeesched{"FEESCHED", {"FSCH_CODE", "FSCH_DESC", "FSCH_YEAR", "FSCH_PROV"}};
const TableDef kGovtcd{"GOVTCD", {"GOVT_CODE", "GOVT_NAME", "GOVT_INSCO", "GOVT_AGE_LIMIT"}};
const TableDef kFormcd{"FORMCD", {"FORM_CODE", "FORM_DESC", "FORM_KIND"}};
const TableDef kCommentcd{"COMMENTCD", {"CMNT_CODE", "CMNT_TEXT"}};
const TableDef kNotecd{"NOTECD", {"NOTE_CODE", "NOTE_DESC"}};
const TableDef kRecallcd{"RECALLCD", {"RCL_CODE", "RCL_DESC", "RCL_INTERVAL"}};
const TableDef kStatcd{"STATCD", {"STAT_CODE", "STAT_DESC"}};
const TableDef kApttype{"APTTYPE", {"ATYP_CODE", "ATYP_DESC", "ATYP_UNITS", "ATYP_COLOR"}};
const TableDef kAptcode{"APTCODE", {"ACOD_CODE", "ACOD_DESC", "ACOD_UNITS", "ACOD_TYPE"}};
const TableDef kChaircd{"CHAIRCD", {"CHR_CODE", "CHR_DESC", "CHR_PRODUCER"}};
const TableDef kClinic{
    "CLINIC",
    {"CLN_CODE", "CLN_NAME", "CLN_ADDR1", "CLN_CITY", "CLN_PROV", "CLN_POSTAL", "CLN_PHONE"}};
const TableDef kMedqcd{"MEDQCD", {"MEDQ_ID", "MEDQ_TEXT", "MEDQ_ALERT"}};
const TableDef kAlertcd{"ALERTCD", {"ALRT_CODE", "ALRT_DESC", "ALRT_LEVEL"}};

}  // namespace demo::tables
