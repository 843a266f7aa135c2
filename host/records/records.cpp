#include "host/records/records.h"

#include <cstdio>

#include "host/base/text.h"

using host::DbCursor;
using host::DbTransaction;
using host::SqlValue;

// ------------------------------------------------------------------ table descriptions

const host::TableDesc& PracInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<pracinfo_struct> b("PRACINFO", TBL_PRACINFO);
        auto& r = b.r;
        b.Col("PRAC_ID", r.prac_id);
        b.Col("PRAC_NAME", r.name);
        b.Col("PRAC_NAME2", r.name2);
        b.Col("PRAC_ADDR1", r.addr1);
        b.Col("PRAC_ADDR2", r.addr2);
        b.Col("PRAC_CITY", r.city);
        b.Col("PRAC_PROV", r.prov);
        b.Col("PRAC_POSTAL", r.postal);
        b.Col("PRAC_PHONE", r.phone);
        b.Col("PRAC_EMAIL", r.email);
        b.Col("PRAC_WEBSITE", r.website);
        b.Col("PRAC_SPECIAL_VERSION", r.special_version);
        b.Col("PRAC_CALC_MODE", r.calc_mode);
        b.Col("PRAC_FUTURE_AR", r.future_ar);
        b.Col("PRAC_DOCTOR_CODE_OPT", r.doctor_code_opt);
        return b.Build();
    }();
    return desc;
}

PracInfo::PracInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& AccountInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<account_struct> b("ACCOUNT", TBL_ACCOUNT);
        auto& r = b.r;
        b.Col("ACC_ID", r.acc_id);
        b.Col("ACC_LNAME", r.lname);
        b.Col("ACC_PNAME", r.pname);
        b.Col("ACC_MNAME", r.mname);
        b.Col("ACC_NICKNAME", r.nickname);
        b.Col("ACC_SUFFIX", r.suffix);
        b.Col("ACC_ADDR1", r.addr1);
        b.Col("ACC_ADDR2", r.addr2);
        b.Col("ACC_CITY", r.city);
        b.Col("ACC_PROV", r.prov);
        b.Col("ACC_POSTAL", r.postal);
        b.Col("ACC_HOME_PH", r.home_ph);
        b.Col("ACC_WORK_PH", r.work_ph);
        b.Col("ACC_PHONE_KIND", r.phone_kind);
        b.Col("ACC_STATUS", r.status);
        b.Col("ACC_INS_BILLING", r.ins_billing);
        b.Col("ACC_SYS_INACTIVE", r.sys_inactive);
        b.Col("ACC_STATEMENTS", r.statements);
        b.Col("ACC_EMAILSTMT", r.emailstmt);
        b.Col("ACC_OPEN_DATE", r.open_date);
        b.Col("ACC_DELETE_DATE", r.delete_date);
        b.Col("ACC_STATEMENT_DATE", r.statement_date);
        b.Col("ACC_STATEMENT_AMT", r.statement_amt);
        b.Col("ACC_INTEREST_DATE", r.interest_date);
        b.Col("ACC_INTEREST_AMT", r.interest_amt);
        b.Col("ACC_CLAIM_DATE", r.claim_date);
        b.Col("ACC_CLAIM_AMT", r.claim_amt);
        b.Col("ACC_PMT_DATE", r.pmt_date);
        b.Col("ACC_PMT_AMT", r.pmt_amt);
        b.Col("ACC_PMT_DR", r.pmt_dr);
        b.Col("ACC_PAT_BAL", r.pat_bal);
        b.Col("ACC_INS_BAL", r.ins_bal);
        b.Col("ACC_AGED_DATE", r.aged_date);
        b.Col("ACC_PAT_CUR", r.pat_cur);
        b.Col("ACC_PAT_30", r.pat_30);
        b.Col("ACC_PAT_60", r.pat_60);
        b.Col("ACC_PAT_90", r.pat_90);
        b.Col("ACC_INS_CUR", r.ins_cur);
        b.Col("ACC_INS_30", r.ins_30);
        b.Col("ACC_INS_60", r.ins_60);
        b.Col("ACC_INS_90", r.ins_90);
        b.Col("ACC_PAT_FUT", r.pat_fut);
        b.Col("ACC_INS_FUT", r.ins_fut);
        b.Col("ACC_ADD_AMT", r.add_amt);
        b.Col("ACC_STMT_CNT", r.stmt_cnt);
        b.Col("ACC_NOTICE_CNT", r.notice_cnt);
        b.Col("ACC_PPLAN_BAL", r.pplan_bal);
        b.Col("ACC_COMMENT", r.comment);
        b.Key({"ACC_LNAME", "ACC_PNAME"});
        return b.Build();
    }();
    return desc;
}

AccountInfo::AccountInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& PersInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<patient_struct> b("PATIENT", TBL_PATIENT);
        auto& r = b.r;
        b.Col("PAT_ID", r.pat_id);
        b.Col("PAT_ACCID", r.acc_id);
        b.Col("PAT_LNAME", r.lname);
        b.Col("PAT_PNAME", r.pname);
        b.Col("PAT_MNAME", r.mname);
        b.Col("PAT_NICKNAME", r.nickname);
        b.Col("PAT_TITLE", r.title);
        b.Col("PAT_SEX", r.sex);
        b.Col("PAT_BIRTHDATE", r.birthdate);
        b.Col("PAT_ADDR1", r.addr1);
        b.Col("PAT_ADDR2", r.addr2);
        b.Col("PAT_CITY", r.city);
        b.Col("PAT_PROV", r.prov);
        b.Col("PAT_POSTAL", r.postal);
        b.Col("PAT_HOME_PH", r.home_ph);
        b.Col("PAT_WORK_PH", r.work_ph);
        b.Col("PAT_OTHER_PH", r.other_ph);
        b.Col("PAT_EMAIL", r.email);
        b.Col("PAT_DOCTOR", r.doctor);
        b.Col("PAT_HYGIENIST", r.hygienist);
        b.Col("PAT_STATUS", r.status);
        b.Col("PAT_RESPONSIBLE", r.responsible);
        b.Col("PAT_POLICYHOLDER", r.policyholder);
        b.Col("PAT_PATIENT", r.patient);
        b.Col("PAT_STUDENT", r.student);
        b.Col("PAT_HANDICAP", r.handicap);
        b.Col("PAT_MARITAL", r.marital);
        b.Col("PAT_OFF_CODE1", r.off_code1);
        b.Col("PAT_OFF_CODE2", r.off_code2);
        b.Col("PAT_OFF_CODE3", r.off_code3);
        b.Col("PAT_OFF_CODE4", r.off_code4);
        b.Col("PAT_OFF_CODE5", r.off_code5);
        b.Col("PAT_OPEN_DATE", r.open_date);
        b.Col("PAT_DELETE_DATE", r.delete_date);
        b.Col("PAT_LAST_VISIT", r.last_visit);
        b.Col("PAT_LAST_CLAIM_DATE", r.last_claim_date);
        b.Col("PAT_CHART_NO", r.chart_no);
        b.Col("PAT_MED_NO1", r.med_no1);
        b.Col("PAT_MED_NO2", r.med_no2);
        b.Col("PAT_SIN", r.sin);
        b.Col("PAT_LANGUAGE", r.language);
        b.Col("PAT_NOTES", r.notes);
        b.Col("PAT_MED_COMMENT", r.med_comment);
        b.Col("PAT_QUICKADD_APT", r.quickadd_apt);
        b.Col("PAT_QUICKADD", r.quickadd);
        b.Col("PAT_PREMED", r.premed);
        b.Col("PAT_CUSTOM1", r.custom1);
        b.Col("PAT_CUSTOM2", r.custom2);
        b.Col("PAT_CUSTOM3", r.custom3);
        b.Col("PAT_CUSTOM4", r.custom4);
        b.Col("PAT_FLAG1", r.flag1);
        b.Col("PAT_FLAG2", r.flag2);
        b.Col("PAT_FLAG3", r.flag3);
        b.Col("PAT_FLAG4", r.flag4);
        b.Key({"PAT_ACCID"});
        b.Key({"PAT_LNAME", "PAT_PNAME"});
        b.Key({"PAT_CHART_NO"});
        return b.Build();
    }();
    return desc;
}

PersInfo::PersInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& PatClmInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<patclm_struct> b("PATCLM", TBL_PATCLM);
        auto& r = b.r;
        b.Col("PCLM_ID", r.pclm_id);
        b.Col("PCLM_PATID", r.pat_id);
        b.Col("PCLM_NUMBER", r.number);
        b.Col("PCLM_STATUS", r.status);
        b.Col("PCLM_EDI_STATUS", r.edi_status);
        b.Col("PCLM_DATE", r.date);
        b.Col("PCLM_SUBMIT_DATE", r.submit_date);
        b.Col("PCLM_DOCTOR", r.doctor);
        b.Col("PCLM_INSCO", r.insco);
        b.Col("PCLM_TOTAL", r.total);
        b.Key({"PCLM_PATID"});
        return b.Build();
    }();
    return desc;
}

PatClmInfo::PatClmInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& ClmTrtInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<clmtrt_struct> b("CLMTRT", TBL_CLMTRT);
        auto& r = b.r;
        b.Col("CTRT_ID", r.ctrt_id);
        b.Col("CTRT_PCLMID", r.pclm_id);
        b.Col("CTRT_CLAIM_NO", r.claim_no);
        b.Col("CTRT_BILL_DOC", r.bill_doc);
        b.Col("CTRT_PRODUCER", r.producer);
        b.Col("CTRT_DATE", r.date);
        b.Col("CTRT_SYSTEM_DATE", r.system_date);
        b.Col("CTRT_DEL_DATE", r.del_date);
        b.Col("CTRT_STATUS", r.status);
        b.Col("CTRT_EDI_STATUS", r.edi_status);
        b.Col("CTRT_CODE", r.code);
        b.Col("CTRT_SYSTEM_CODE", r.system_code);
        b.Col("CTRT_CODE_FC_DESC", r.code_fc_desc);
        b.Col("CTRT_TOOTH", r.tooth);
        b.Col("CTRT_SURFACE", r.surface);
        b.Col("CTRT_UNITS", r.units);
        b.Col("CTRT_TYPE", r.type);
        b.Col("CTRT_TOTAL", r.total);
        b.Col("CTRT_INS_TOTAL", r.ins_total);
        b.Col("CTRT_INS_AMT1", r.ins_amt1);
        b.Col("CTRT_INS_AMT2", r.ins_amt2);
        b.Col("CTRT_INS_AMT3", r.ins_amt3);
        b.Col("CTRT_INS_CO1", r.ins_co1);
        b.Col("CTRT_INS_CO2", r.ins_co2);
        b.Col("CTRT_INS_CO3", r.ins_co3);
        b.Col("CTRT_INS_ASSIGN1", r.ins_assign1);
        b.Col("CTRT_INS_ASSIGN2", r.ins_assign2);
        b.Col("CTRT_INS_ASSIGN3", r.ins_assign3);
        b.Col("CTRT_PREAUTH", r.preauth);
        b.Col("CTRT_ADJ_FLAG", r.adj_flag);
        b.Col("CTRT_ADJ_AMT", r.adj_amt);
        b.Col("CTRT_FEE_CAT", r.fee_cat);
        b.Key({"CTRT_PCLMID"});
        b.Key({"CTRT_SYSTEM_DATE"});
        b.Key({"CTRT_DEL_DATE"});
        return b.Build();
    }();
    return desc;
}

ClmTrtInfo::ClmTrtInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& PatOffChgInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<patoch_struct> b("PATOCH", TBL_PATOCH);
        auto& r = b.r;
        b.Col("POCH_ID", r.poch_id);
        b.Col("POCH_PATID", r.pat_id);
        b.Col("POCH_DATE", r.date);
        b.Col("POCH_SYSDATE", r.sysdate);
        b.Col("POCH_DELDATE", r.deldate);
        b.Col("POCH_CODE", r.code);
        b.Col("POCH_TYPE", r.type);
        b.Col("POCH_DESCRIPT", r.descript);
        b.Col("POCH_TOTAL", r.total);
        b.Col("POCH_BILLDR", r.billdr);
        b.Col("POCH_SERVNO", r.servno);
        b.Key({"POCH_PATID"});
        b.Key({"POCH_SYSDATE"});
        return b.Build();
    }();
    return desc;
}

PatOffChgInfo::PatOffChgInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& AccPmtInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<accpmt_struct> b("ACCPMT", TBL_ACCPMT);
        auto& r = b.r;
        b.Col("APMT_ID", r.apmt_id);
        b.Col("APMT_ACCID", r.acc_id);
        b.Col("APMT_RECTYPE", r.rectype);
        b.Col("APMT_TYPE", r.type);
        b.Col("APMT_DATE", r.date);
        b.Col("APMT_SYSDATE", r.sysdate);
        b.Col("APMT_DELDATE", r.deldate);
        b.Col("APMT_CODE", r.code);
        b.Col("APMT_DESCRIP", r.descrip);
        b.Col("APMT_PAYOR", r.payor);
        b.Col("APMT_BANK", r.bank);
        b.Col("APMT_TOTAL", r.total);
        b.Col("APMT_HELD_AMT", r.held_amt);
        b.Col("APMT_DEP", r.dep);
        b.Col("APMT_PMT", r.pmt);
        b.Col("APMT_ADJ_KIND", r.adj_kind);
        b.Col("APMT_TRXNO", r.trxno);
        b.Col("APMT_REVERSED", r.reversed);
        b.Key({"APMT_ACCID"});
        b.Key({"APMT_DATE"});
        b.Key({"APMT_SYSDATE"});
        return b.Build();
    }();
    return desc;
}

AccPmtInfo::AccPmtInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& PmtAppInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<pmtapp_struct> b("PMTAPP", TBL_PMTAPP);
        auto& r = b.r;
        b.Col("PAPP_ID", r.papp_id);
        b.Col("PAPP_APMTID", r.apmt_id);
        b.Col("PAPP_RECTYPE", r.rectype);
        b.Col("PAPP_CTRTID", r.ctrt_id);
        b.Col("PAPP_POCHID", r.poch_id);
        b.Col("PAPP_PATID", r.pat_id);
        b.Col("PAPP_TYPE", r.type);
        b.Col("PAPP_DATE", r.date);
        b.Col("PAPP_SYSDATE", r.sysdate);
        b.Col("PAPP_AMOUNT", r.amount);
        b.Col("PAPP_PRODUCER", r.producer);
        b.Col("PAPP_BILLDR", r.billdr);
        b.Key({"PAPP_APMTID"});
        b.Key({"PAPP_CTRTID"});
        b.Key({"PAPP_POCHID"});
        b.Key({"PAPP_PATID"});
        b.Key({"PAPP_DATE"});
        return b.Build();
    }();
    return desc;
}

PmtAppInfo::PmtAppInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& PmtsInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<pmtscd_struct> b("PMTSCD", TBL_PMTSCD);
        auto& r = b.r;
        b.Col("PAYMENT_CODE", r.payment_code);
        b.Col("PAYMENT_DESCRIPT", r.descript);
        b.Col("PAYMENT_TYPE", r.type);
        b.Col("PAYMENT_DPSTS", r.dpsts);
        b.Col("PAYMENT_RATE", r.rate);
        return b.Build();
    }();
    return desc;
}

PmtsInfo::PmtsInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& AdjustInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<adjustcd_struct> b("ADJUSTCD", TBL_ADJUSTCD);
        auto& r = b.r;
        b.Col("ADJUST_CODE", r.adjust_code);
        b.Col("ADJUST_DESCRIPT", r.descript);
        b.Col("ADJUST_KIND", r.kind);
        b.Col("ADJUST_PMT", r.pmt);
        return b.Build();
    }();
    return desc;
}

AdjustInfo::AdjustInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& BankInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<bankcd_struct> b("BANKCD", TBL_BANKCD);
        auto& r = b.r;
        b.Col("BNK_CODE", r.bnk_code);
        b.Col("BNK_NAME", r.name);
        b.Col("BNK_ADDR1", r.addr1);
        b.Col("BNK_ADDR2", r.addr2);
        b.Col("BNK_CITY", r.city);
        b.Col("BNK_PROV", r.prov);
        b.Col("BNK_POSTAL", r.postal);
        b.Col("BNK_ACCOUNT_NO", r.account_no);
        return b.Build();
    }();
    return desc;
}

BankInfo::BankInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& InsCoInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<insco_struct> b("INSCO", TBL_INSCO);
        auto& r = b.r;
        b.Col("INS_CODE", r.ins_code);
        b.Col("INS_EDI_CODE", r.edi_code);
        b.Col("INS_NAME", r.name);
        b.Col("INS_ADDR1", r.addr1);
        b.Col("INS_ADDR2", r.addr2);
        b.Col("INS_CITY", r.city);
        b.Col("INS_PROV", r.prov);
        b.Col("INS_POSTAL", r.postal);
        b.Col("INS_PHONE", r.phone);
        b.Col("INS_NETWORK", r.network);
        b.Col("INS_BILLING", r.billing);
        b.Col("INS_GOVT", r.govt);
        return b.Build();
    }();
    return desc;
}

InsCoInfo::InsCoInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& ProdInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<prodcd_struct> b("PRODCD", TBL_PRODCD);
        auto& r = b.r;
        b.Col("PROD_ID", r.prod_id);
        b.Col("PROD_CODE", r.code);
        b.Col("PROD_TYPE", r.type);
        b.Col("PROD_FIRST_NAME", r.first_name);
        b.Col("PROD_LAST_NAME", r.last_name);
        b.Col("PROD_TITLE", r.title);
        b.Col("PROD_LICENSE", r.license);
        b.Col("PROD_BILLDR", r.billdr);
        b.Col("PROD_FLAG", r.flag);
        b.Col("PROD_ACTIVE", r.active);
        b.Col("PROD_PHONE", r.phone);
        b.Col("PROD_YTD_PROCS", r.ytd_procs);
        b.Col("PROD_YTD_DENTAL", r.ytd_dental);
        b.Col("PROD_YTD_LAB", r.ytd_lab);
        b.Col("PROD_YTD_OFFCHG", r.ytd_offchg);
        b.Col("PROD_YTD_FEEADJ", r.ytd_feeadj);
        b.Col("PROD_YTD_FEES", r.ytd_fees);
        b.Col("PROD_YTD_FEESAUX", r.ytd_feesaux);
        b.Col("PROD_YTD_PMTS", r.ytd_pmts);
        b.Col("PROD_YTD_TRANSF", r.ytd_transf);
        b.Col("PROD_YTD_PMTADJ", r.ytd_pmtadj);
        b.Col("PROD_YTD_NET", r.ytd_net);
        b.Col("PROD_AR_PROD", r.ar_prod);
        b.Col("PROD_AR_BILLDR", r.ar_billdr);
        b.Key({"PROD_CODE"});
        b.Key({"PROD_TYPE", "PROD_CODE"});
        return b.Build();
    }();
    return desc;
}

ProdInfo::ProdInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& UseridInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<useridcd_struct> b("USERIDCD", TBL_USERIDCD);
        auto& r = b.r;
        b.Col("USR_ID", r.usr_id);
        b.Col("USER_LOGON", r.logon);
        b.Col("USER_NAME", r.name);
        b.Col("USER_PRODCODE", r.prodcode);
        b.Col("USER_RIGHTS", r.rights);
        b.Key({"USER_LOGON"});
        return b.Build();
    }();
    return desc;
}

UseridInfo::UseridInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& DayShtInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<daysht_struct> b("DAYSHT", TBL_DAYSHT);
        auto& r = b.r;
        b.Col("DSHT_ID", r.dsht_id);
        b.Col("DSHT_DATE", r.date);
        b.Col("DSHT_RECID", r.rec_id);
        b.Col("DSHT_BILLDR", r.billdr);
        b.Col("DSHT_PRODUCER", r.producer);
        b.Col("DSHT_SORTID", r.sort_id);
        b.Col("DSHT_RECTYPE", r.rectype);
        b.Col("DSHT_PATID", r.pat_id);
        b.Key({"DSHT_DATE", "DSHT_SORTID"});
        return b.Build();
    }();
    return desc;
}

DayShtInfo::DayShtInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& DayEndInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<dayend_struct> b("DAYEND", TBL_DAYEND);
        auto& r = b.r;
        b.Col("DEND_ID", r.dend_id);
        b.Col("DEND_LASTDAY", r.lastday);
        b.Col("DEND_MENDDATE", r.menddate);
        b.Col("DEND_YENDDATE", r.yenddate);
        b.Col("DEND_LASTSTAT", r.laststat);
        b.Col("DEND_PRINTED", r.printed);
        return b.Build();
    }();
    return desc;
}

DayEndInfo::DayEndInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& DayDetInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<daydet_struct> b("DAYDET", TBL_DAYDET);
        auto& r = b.r;
        b.Col("DDET_ID", r.ddet_id);
        b.Col("DDET_DATE", r.date);
        b.Col("DDET_PRINTED", r.printed);
        b.Col("DDET_CLOSED", r.closed);
        b.Key({"DDET_DATE"});
        return b.Build();
    }();
    return desc;
}

DayDetInfo::DayDetInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& PatPPlanInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<patpplan_struct> b("PATPPLAN", TBL_PATPPLAN);
        auto& r = b.r;
        b.Col("PPLN_ID", r.ppln_id);
        b.Col("PPLN_ACCID", r.acc_id);
        b.Col("PPLN_DOCTOR", r.doctor);
        b.Col("PPLN_START", r.start);
        b.Col("PPLN_AMOUNT", r.amount);
        b.Col("PPLN_BALANCE", r.balance);
        b.Col("PPLN_PMT_AMT", r.pmt_amt);
        b.Col("PPLN_FREQ", r.freq);
        b.Col("PPLN_STATUS", r.status);
        b.Key({"PPLN_ACCID"});
        return b.Build();
    }();
    return desc;
}

PatPPlanInfo::PatPPlanInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& PatNoteInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<patnote_struct> b("PATNOTE", TBL_PATNOTE);
        auto& r = b.r;
        b.Col("PNOT_ID", r.pnot_id);
        b.Col("PNOT_PATID", r.pat_id);
        b.Col("PNOT_USERID", r.user_id);
        b.Col("PNOT_PRDID", r.prd_id);
        b.Col("PNOT_TYPE", r.type);
        b.Col("PNOT_RECTYPE", r.rectype);
        b.Col("PNOT_DATE", r.date);
        b.Col("PNOT_DUEDATE", r.duedate);
        b.Col("PNOT_DONE", r.done);
        b.Col("PNOT_COMMENT", r.comment);
        b.Key({"PNOT_PATID"});
        b.Key({"PNOT_DUEDATE"});
        return b.Build();
    }();
    return desc;
}

PatNoteInfo::PatNoteInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& ProcInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<proccd_struct> b("PROCCD", TBL_PROCCD);
        auto& r = b.r;
        b.Col("PROC_SYS_CODE", r.proc_sys_code);
        b.Col("PROC_CODE", r.code);
        b.Col("PROC_FC_DESC", r.fc_desc);
        b.Col("PROC_CATCODE", r.catcode);
        b.Col("PROC_IS_LAB", r.is_lab);
        b.Col("PROC_FEE", r.fee);
        b.Col("PROC_UNITS", r.units);
        b.Key({"PROC_CODE"});
        return b.Build();
    }();
    return desc;
}

ProcInfo::ProcInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& ProcCatInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<proccat_struct> b("PROCCAT", TBL_PROCCAT);
        auto& r = b.r;
        b.Col("PCAT_CODE", r.pcat_code);
        b.Col("PCAT_DESC", r.desc);
        return b.Build();
    }();
    return desc;
}

ProcCatInfo::ProcCatInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& OffChgInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<offchgcd_struct> b("OFFCHGCD", TBL_OFFCHGCD);
        auto& r = b.r;
        b.Col("OFFCHG_CODE", r.offchg_code);
        b.Col("OFFCHG_DESCRIPT", r.descript);
        b.Col("OFFCHG_CATCODE", r.catcode);
        b.Col("OFFCHG_AMOUNT", r.amount);
        return b.Build();
    }();
    return desc;
}

OffChgInfo::OffChgInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& StatusInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<statcd_struct> b("STATCD", TBL_STATCD);
        auto& r = b.r;
        b.Col("STAT_CODE", r.stat_code);
        b.Col("STAT_DESC", r.desc);
        return b.Build();
    }();
    return desc;
}

StatusInfo::StatusInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& RDistInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<rdist_struct> b("RDIST", TBL_RDIST);
        auto& r = b.r;
        b.Col("RDST_ID", r.rdst_id);
        b.Col("RDST_GROUP", r.group);
        b.Col("RDST_BILLDR", r.billdr);
        b.Col("RDST_PRODUCER", r.producer);
        b.Col("RDST_PERCENT", r.percent);
        b.Col("RDST_REMAINDER", r.remainder);
        b.Key({"RDST_BILLDR", "RDST_PRODUCER"});
        return b.Build();
    }();
    return desc;
}

RDistInfo::RDistInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& EmpPolInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<emppol_struct> b("EMPPOL", TBL_EMPPOL);
        auto& r = b.r;
        b.Col("EPOL_ID", r.epol_id);
        b.Col("EPOL_GROUP_NO", r.group_no);
        b.Col("EPOL_INSCO", r.insco);
        b.Col("EPOL_DIVISION", r.division);
        b.Col("EPOL_EMPLOYER", r.employer);
        b.Col("EPOL_GOVT", r.govt);
        b.Col("EPOL_COVERAGE", r.coverage);
        b.Col("EPOL_INS_BILLING", r.ins_billing);
        b.Col("EPOL_FEESCHED", r.feesched);
        b.Col("EPOL_YEAR_END", r.year_end);
        b.Col("EPOL_EDI", r.edi);
        b.Col("EPOL_FAM_LIMIT", r.fam_limit);
        b.Col("EPOL_FAM_DEDUCT", r.fam_deduct);
        b.Col("EPOL_PAT_LIMIT", r.pat_limit);
        b.Col("EPOL_PAT_DEDUCT", r.pat_deduct);
        return b.Build();
    }();
    return desc;
}

EmpPolInfo::EmpPolInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& DependentInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<patdep_struct> b("PATDEP", TBL_PATDEP);
        auto& r = b.r;
        b.Col("PDEP_ID", r.pdep_id);
        b.Col("PDEP_PATID", r.pat_id);
        b.Col("PDEP_EPOLID", r.epol_id);
        b.Col("PDEP_HOLDER_PATID", r.holder_pat_id);
        b.Col("PDEP_POLICY_ID", r.policy_id);
        b.Col("PDEP_RELATION", r.relation);
        b.Col("PDEP_ACTIVE", r.active);
        b.Col("PDEP_LIMIT", r.limit);
        b.Col("PDEP_DEDUCT", r.deduct);
        b.Col("PDEP_RESET_DATE", r.reset_date);
        b.Key({"PDEP_PATID"});
        return b.Build();
    }();
    return desc;
}

DependentInfo::DependentInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& PPSetInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<ppset_struct> b("PPSET", TBL_PPSET);
        auto& r = b.r;
        char name[32];
        b.Col("PPST_ID", r.ppst_id);
        for (int k = 1; k <= ppset_struct::kInts; ++k) {
            std::snprintf(name, sizeof name, "PPST_INT_FIELD%02d", k);
            b.Col(name, r.IntField(k));
        }
        for (int k = 1; k <= ppset_struct::kA2; ++k) {
            std::snprintf(name, sizeof name, "PPST_A2_FIELD%02d", k);
            b.Col(name, r.A2Field(k));
        }
        for (int k = 1; k <= ppset_struct::kA11; ++k) {
            std::snprintf(name, sizeof name, "PPST_A11_FIELD%02d", k);
            b.Col(name, r.A11Field(k));
        }
        for (int k = 1; k <= ppset_struct::kA51; ++k) {
            std::snprintf(name, sizeof name, "PPST_A51_FIELD%02d", k);
            b.Col(name, r.A51Field(k));
        }
        for (int k = 1; k <= ppset_struct::kA81; ++k) {
            std::snprintf(name, sizeof name, "PPST_A81_FIELD%02d", k);
            b.Col(name, r.A81Field(k));
        }
        return b.Build();
    }();
    return desc;
}

PPSetInfo::PPSetInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

const host::TableDesc& RecScanInfo::Table() {
    static const host::TableDesc desc = [] {
        host::TableBuilder<recscan_struct> b("RECSCAN", TBL_RECSCAN);
        auto& r = b.r;
        b.Col("RSCN_ID", r.rscn_id);
        b.Col("RSCN_NO", r.no);
        b.Col("RSCN_NAME", r.name);
        b.Col("RSCN_TYPE", r.type);
        b.Col("RSCN_DETAILED", r.detailed);
        b.Col("RSCN_DATE", r.date);
        b.Col("RSCN_SORT_TYPE", r.sort_type);
        b.Col("RSCN_SORT_FIELD", r.sort_field);
        b.Key({"RSCN_NO"});
        return b.Build();
    }();
    return desc;
}

RecScanInfo::RecScanInfo(DLnkList* list, MsgInfo* msg) : RecordInfo(list, msg, Table()) {}

// ------------------------------------------------------------------ PersInfo

bool PersInfo::GetAccountPatients(long acc_id, TEmgBase* err) {
    const int key = GetKey();
    SetKey(KEY_ID);
    const bool found = FindRecs("PAT_ACCID = ?", {acc_id}, err);
    SetKey(key);
    return found;
}

bool PersInfo::FindMainPatient(long acc_id, TEmgBase* err) {
    if (!GetAccountPatients(acc_id, err)) return false;
    for (long i = 0; i < LLCount(); ++i)
        if (Items()[static_cast<size_t>(i)].responsible == 'Y') return LLGoTo(i);
    return LLGoTo(0);
}

// ------------------------------------------------------------------ AccPmtInfo

bool AccPmtInfo::GetPmtHeldInfo(long apmt_id, pmt_held_info* info, long as_of, TEmgBase* err) {
    db_failed_ = false;
    GenDB* db = GetDb();
    if (!db) return NoDb(err);
    const std::string sql =
        "SELECT APMT_DATE, APMT_PAYOR, APMT_TYPE, APMT_TOTAL, APMT_DELDATE, "
        "(SELECT COALESCE(SUM(PAPP_AMOUNT), 0) FROM " +
        Prefixed("PMTAPP") + " WHERE PAPP_APMTID = APMT_ID AND (PAPP_DATE <= ? OR ? = 0)) FROM " +
        Prefixed() + " WHERE APMT_ID = ?";
    if (db->dbOpenParams(sql.c_str(), {as_of, as_of, apmt_id}, cursor()) != 0)
        return Fail(err, "Lecture impossible de la table ACCPMT");
    const int r = db->dbFetch(0, cursor());
    if (r == 0) {
        DbCursor* c = db->Cursor(cursor());
        pmt_held_info h;
        h.apmt_id = apmt_id;
        h.date = static_cast<long>(c->Int(1));
        h.payor = std::string(c->Text(2));
        h.type = c->Text(3).empty() ? '\0' : c->Text(3)[0];
        h.total = c->Int(4);
        const long deleted = static_cast<long>(c->Int(5));
        h.applied = c->Int(6);
        h.held = HeldAmount(h.total, h.applied, deleted, as_of);
        if (info) *info = h;
    }
    db->dbClose(cursor());
    if (r < 0) return Fail(err, "Lecture impossible de la table ACCPMT");
    return r == 0;
}

bool AccPmtInfo::IsPmtHeld(long apmt_id, long as_of, TEmgBase* err) {
    pmt_held_info h;
    return GetPmtHeldInfo(apmt_id, &h, as_of, err) && h.held != 0;
}

// ------------------------------------------------------------------ PmtAppInfo

short PmtAppInfo::OwnerKind() const {
    switch (Rec().rectype) {
        case 'T':
            return TBL_CLMTRT;
        case 'O':
            return TBL_PATOCH;
        case 'P':
            return TBL_PATIENT;
        default:
            return 0;
    }
}

// ------------------------------------------------------------------ ProdInfo

bool ProdInfo::FindByCode(const std::string& code, TEmgBase* err) {
    return DBFindFirst(KEY_CODE, {code}, err);
}

// ------------------------------------------------------------------ DayShtInfo

void DayShtInfo::GetDsht(dsht_struct* out) const {
    const daysht_struct& r = Rec();
    *out = dsht_struct{};
    out->date = r.date;
    out->recid = r.rec_id;
    host::CopyText(out->billdr, sizeof out->billdr, r.billdr);
    host::CopyText(out->producer, sizeof out->producer, r.producer);
    out->sortid = r.sort_id;
    out->rectype = r.rectype;
    out->patid = r.pat_id;
}

bool DayShtInfo::ContainFutureDaySht(long today, TEmgBase* err) {
    db_failed_ = false;
    long n = 0;
    return QueryLong("SELECT COUNT(*) FROM " + Prefixed() + " WHERE DSHT_DATE > ?", {today}, &n,
                     err) &&
           n > 0;
}

// ------------------------------------------------------------------ DayEndInfo

bool DayEndInfo::MarkDendPrinted(long date, TEmgBase* err) {
    db_failed_ = false;
    GenDB* db = GetDb();
    if (!db) return NoDb(err);
    const std::string what = "Impossible de marquer la fin de journée comme imprimée";
    if (!LockIt(3, err)) return false;
    DayDetInfo day(GetList(), GetMsg());
    if (!day.LockIt(3, err)) {
        UnLockIt(3);
        return false;
    }
    const bool ok = [&] {
        DbTransaction tx(*db);
        if (!tx.ok()) return Fail(err, what);
        long n = 0;
        if (!QueryLong("SELECT COUNT(*) FROM " + Prefixed() + " WHERE DEND_ID = ?", {1L}, &n, err))
            return false;
        if (n == 0) return Fail(err, what + " : aucun enregistrement de fin de journée", false);
        if (!Execute("UPDATE " + Prefixed() + " SET DEND_PRINTED = ? WHERE DEND_ID = ?", {'Y', 1L},
                     what, err))
            return false;
        if (day.DBFindFirst(DayDetInfo::KEY_DATE, {date}, err)) {
            day.GetItem()->printed = 'Y';
            if (!day.WriteRec(err)) return false;
        } else {
            if (day.DbFailed()) return false;
            day.ClearRec();
            day.GetItem()->date = date;
            day.GetItem()->printed = 'Y';
            if (!day.AddRec(err)) return false;
        }
        return tx.Commit() || Fail(err, what);
    }();
    day.UnLockIt(3);
    UnLockIt(3);
    if (ok && Rec().dend_id == 1) rec_.printed = 'Y';
    return ok;
}

// ------------------------------------------------------------------ PatPPlanInfo

bool PatPPlanInfo::TotalsByDoctor(std::vector<pplan_total>* out, TEmgBase* err) {
    db_failed_ = false;
    out->clear();
    GenDB* db = GetDb();
    if (!db) return NoDb(err);
    const std::string sql =
        "SELECT PPLN_DOCTOR, COUNT(*), SUM(PPLN_AMOUNT), SUM(PPLN_BALANCE) FROM " + Prefixed() +
        " WHERE PPLN_STATUS = ? GROUP BY PPLN_DOCTOR ORDER BY PPLN_DOCTOR";
    if (db->dbOpenParams(sql.c_str(), {'A'}, cursor()) != 0)
        return Fail(err, "Lecture impossible de la table PATPPLAN");
    int r = db->dbFetch(0, cursor());
    for (; r == 0; r = db->dbFetch(1, cursor())) {
        DbCursor* c = db->Cursor(cursor());
        pplan_total t;
        t.doctor = std::string(c->Text(1));
        t.plans = static_cast<long>(c->Int(2));
        t.amount = c->Int(3);
        t.balance = c->Int(4);
        out->push_back(std::move(t));
    }
    db->dbClose(cursor());
    return r == 100 || Fail(err, "Lecture impossible de la table PATPPLAN");
}

bool PatPPlanInfo::AccountPlanBalance(long acc_id, int64_t* balance, TEmgBase* err) {
    db_failed_ = false;
    *balance = 0;
    long plans = 0, sum = 0;
    const std::string where = " FROM " + Prefixed() + " WHERE PPLN_ACCID = ? AND PPLN_STATUS = ?";
    if (!QueryLong("SELECT COUNT(*)" + where, {acc_id, 'A'}, &plans, err)) return false;
    if (plans == 0) return false;
    if (!QueryLong("SELECT SUM(PPLN_BALANCE)" + where, {acc_id, 'A'}, &sum, err)) return false;
    *balance = sum;
    return true;
}

// ------------------------------------------------------------------ DependentInfo

int DependentInfo::GetMembers(long pat_id, TEmgBase* err) {
    const int key = GetKey();
    SetKey(KEY_ID);
    FindRecs("PDEP_PATID = ?", {pat_id}, err);
    SetKey(key);
    return DbFailed() ? -1 : static_cast<int>(LLCount());
}

// ------------------------------------------------------------------ RecScanInfo

short RecScanInfo::NextRecNo(TEmgBase* err) {
    db_failed_ = false;
    long high = 0;
    if (!QueryLong("SELECT MAX(RSCN_NO) FROM " + Prefixed(), {}, &high, err)) return -1;
    return static_cast<short>(high + 1);
}

bool RecScanInfo::OnCurrent(TEmgBase* err) {
    recscan_struct& r = rec_;
    for (int i = 0; i < recscan_struct::kCriteria; ++i) {
        r.crit_type[i] = r.crit_field[i] = r.crit_cond[i] = 0;
        for (auto& v : r.crit_value[i])
            v.clear();
    }
    GenDB* db = GetDb();
    if (!db) return NoDb(err);
    const std::string sql =
        "SELECT RSCC_TYPE, RSCC_FIELD, RSCC_COND, RSCC_VALUE1, RSCC_VALUE2, RSCC_VALUE3, "
        "RSCC_VALUE4 FROM " +
        Prefixed("RSCNCRIT") + " WHERE RSCC_RSCNID = ? ORDER BY RSCC_SEQ, RSCC_ID";
    if (db->dbOpenParams(sql.c_str(), {r.rscn_id}, cursor()) != 0)
        return Fail(err, "Lecture impossible de la table RSCNCRIT");
    int n = 0;
    int rc = db->dbFetch(0, cursor());
    for (; rc == 0 && n < recscan_struct::kCriteria; rc = db->dbFetch(1, cursor()), ++n) {
        DbCursor* c = db->Cursor(cursor());
        r.crit_type[n] = static_cast<short>(c->Int(1));
        r.crit_field[n] = static_cast<short>(c->Int(2));
        r.crit_cond[n] = static_cast<short>(c->Int(3));
        for (int v = 0; v < recscan_struct::kValues; ++v)
            r.crit_value[n][v] = std::string(c->Text(4 + v));
    }
    db->dbClose(cursor());
    return rc >= 0 || Fail(err, "Lecture impossible de la table RSCNCRIT");
}

bool RecScanInfo::DeleteChildren(GenDB&, TEmgBase* err) {
    return Execute("DELETE FROM " + Prefixed("RSCNCRIT") + " WHERE RSCC_RSCNID = ?", {rec_.rscn_id},
                   "Suppression impossible dans la table RSCNCRIT", err);
}

bool RecScanInfo::WriteChildren(GenDB& db, TEmgBase* err) {
    // The criteria are rewritten whole, numbered after the table's highest id; the lock
    // keeps two workstations from taking the same numbers.
    if (!TakeLock("RSCNCRIT", 3, err)) return false;
    const bool ok = [&] {
        if (!DeleteChildren(db, err)) return false;
        long high = 0;
        if (!QueryLong("SELECT MAX(RSCC_ID) FROM " + Prefixed("RSCNCRIT"), {}, &high, err))
            return false;
        const std::string sql = "INSERT INTO " + Prefixed("RSCNCRIT") +
                                " (RSCC_ID, RSCC_RSCNID, RSCC_SEQ, RSCC_TYPE, RSCC_FIELD, "
                                "RSCC_COND, RSCC_VALUE1, RSCC_VALUE2, RSCC_VALUE3, RSCC_VALUE4) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
        const recscan_struct& r = rec_;
        for (int i = 0; i < r.CriteriaCount(); ++i) {
            std::vector<SqlValue> v{++high,
                                    r.rscn_id,
                                    static_cast<long>(i + 1),
                                    static_cast<long>(r.crit_type[i]),
                                    static_cast<long>(r.crit_field[i]),
                                    static_cast<long>(r.crit_cond[i])};
            for (int k = 0; k < recscan_struct::kValues; ++k)
                v.emplace_back(host::U8Left(host::ToValidUtf8(r.crit_value[i][k]),
                                            recscan_struct::kValueWidth));
            if (!Execute(sql, v, "Ajout impossible dans la table RSCNCRIT", err)) return false;
        }
        return true;
    }();
    DropLock("RSCNCRIT", 3);
    return ok;
}

bool QDSApplication::LoadPracticeSettings() {
    if (!db_) return false;
    DLnkList list(db_);
    MsgInfo msg(0, &list);
    PracInfo prac(&list, &msg);
    if (!prac.DBGetFirst()) return false;
    const pracinfo_struct& p = prac.Rec();
    m_CalAR = p.calc_mode;
    future_ar = p.future_ar != 'N';
    special_version = p.special_version;
    doctor_code_option = p.doctor_code_opt;
    return true;
}
