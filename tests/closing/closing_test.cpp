// Closing a day: one act under the closing lock (the day's state, its record and the
// closing tasks' writes together or not at all), two workstations closing the same day,
// and the earlier days never printed, offered by the dialog, printed one by one and marked.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "closing/dayend_dialogs.h"
#include "closing/dayend_state.h"
#include "closing/schedule_copies.h"
#include "host/base/dates.h"
#include "host/base/env.h"
#include "host/output/paths.h"
#include "host/ui/backend.h"
#include "host/ui/recording.h"
#include "tests/closing/dayend_practice.h"

namespace {

using dayend::CloseResult;
using dayend_test::kDay;

class ClosingTest : public dayend_test::DayTest {
  protected:
    long LastDay() { return db().QueryInt("SELECT DEND_LASTDAY FROM " + P() + "DAYEND"); }
    std::string Day(long date, const char* column) {
        return db().QueryText("SELECT " + std::string(column) + " FROM " + P() +
                              "DAYDET WHERE DDET_DATE = " + std::to_string(date));
    }
    std::string P() { return db().dbTablePrefix(); }
};

TEST_P(ClosingTest, ADayClosesOnceWithItsTasks) {
    std::string error;
    int tasks = 0;
    auto task = [&](GenDB& tx, std::string*) {
        ++tasks;
        return tx.dbExecute("UPDATE " + std::string(tx.dbTablePrefix()) +
                            "PATIENT SET PAT_LNAME = 'Fermé' WHERE PAT_ID = 12") == 0;
    };
    ASSERT_EQ(dayend::CloseDay(db(), kDay, true, task, &error), CloseResult::Closed) << error;
    EXPECT_EQ(LastDay(), kDay);
    EXPECT_EQ(Day(kDay, "DDET_CLOSED"), "Y");
    EXPECT_EQ(Day(kDay, "DDET_PRINTED"), "Y");
    EXPECT_EQ(tasks, 1);

    // Again, here or from another workstation: already closed, nothing runs.
    EXPECT_EQ(dayend::CloseDay(db(), kDay, true, task, &error), CloseResult::AlreadyClosed);
    auto other = t_->OpenAnother();
    EXPECT_EQ(dayend::CloseDay(*other, kDay, false, task, &error), CloseResult::AlreadyClosed);
    // An earlier day never moves the state back.
    EXPECT_EQ(dayend::CloseDay(*other, kDay - 1, false, task, &error), CloseResult::AlreadyClosed);
    EXPECT_EQ(tasks, 1);
    EXPECT_EQ(LastDay(), kDay);
}

TEST_P(ClosingTest, AFailingTaskLeavesTheDayOpen) {
    std::string error;
    auto failing = [](GenDB& tx, std::string* why) {
        tx.dbExecute("UPDATE " + std::string(tx.dbTablePrefix()) +
                     "PATIENT SET PAT_LNAME = 'Fermé' WHERE PAT_ID = 12");
        *why = "tâche refusée";
        return false;
    };
    EXPECT_EQ(dayend::CloseDay(db(), kDay, true, failing, &error), CloseResult::Failed);
    EXPECT_EQ(error, "tâche refusée");
    EXPECT_EQ(LastDay(), 20241113);
    EXPECT_EQ(Day(kDay, "DDET_CLOSED"), "");
    EXPECT_EQ(db().QueryText("SELECT PAT_LNAME FROM " + P() + "PATIENT WHERE PAT_ID = 12"),
              "Bédard");
    // Run again, it finishes the closing.
    EXPECT_EQ(dayend::CloseDay(db(), kDay, false, nullptr, &error), CloseResult::Closed) << error;
    EXPECT_EQ(Day(kDay, "DDET_PRINTED"), "N");
}

TEST_P(ClosingTest, TwoWorkstationsAtOnceOneCloses) {
    for (int round = 0; round < 3; ++round) {
        const long date = incr_date(kDay, round);
        auto a = t_->OpenAnother();
        auto b = t_->OpenAnother();
        std::atomic<int> closed{0}, already{0};
        std::atomic<bool> go{false};
        auto close = [&](GenDB* db) {
            while (!go)
                std::this_thread::yield();
            std::string error;
            auto task = [](GenDB& tx, std::string*) {
                // The task takes a while: the other workstation waits on the lock.
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
                return tx.dbExecute("UPDATE " + std::string(tx.dbTablePrefix()) +
                                    "PATIENT SET PAT_MNAME = PAT_MNAME || 'x' WHERE PAT_ID = 11") ==
                       0;
            };
            switch (dayend::CloseDay(*db, date, false, task, &error)) {
                case CloseResult::Closed:
                    ++closed;
                    break;
                case CloseResult::AlreadyClosed:
                    ++already;
                    break;
                case CloseResult::Failed:
                    ADD_FAILURE() << error;
            }
        };
        std::thread ta(close, a.get()), tb(close, b.get());
        go = true;
        ta.join();
        tb.join();
        EXPECT_EQ(closed, 1);
        EXPECT_EQ(already, 1);
        EXPECT_EQ(LastDay(), date);
    }
    // One task's write per day closed.
    EXPECT_EQ(db().QueryText("SELECT PAT_MNAME FROM " + P() + "PATIENT WHERE PAT_ID = 11"), "xxx");
}

TEST_P(ClosingTest, EarlierDaysNeverPrintedArePrintedOneByOneAndMarked) {
    const std::string cols = "DDET_ID, DDET_DATE, DDET_PRINTED, DDET_CLOSED";
    Insert("DAYDET", cols, "1, 20241108, 'Y', 'Y'");
    Insert("DAYDET", cols, "2, 20241112, 'N', 'Y'");
    Insert("DAYDET", cols, "3, 20241111, 'N', 'Y'");
    Insert("DAYDET", cols, "4, 20241113, 'N', 'Y'");
    std::vector<long> days;
    std::string error;
    ASSERT_TRUE(dayend::UnprintedDays(db(), kDay, &days, &error)) << error;
    // In record order, not date order.
    EXPECT_EQ(days, (std::vector<long>{20241112, 20241111, 20241113}));

    // The dialog offers them, prints each, marks each, then the day itself.
    host::ui::ScriptedBackend scripted;
    host::ui::SetBackend(&scripted);
    scripted.SetDefaultAnswer(IDOK);
    bool printed = false;
    {
        TDayEndReportDlg dlg(nullptr, 7003, launcher_.get());
        scripted.QueueDialog([&](TDialog& d) {
            std::string why;
            EXPECT_TRUE(d.SetField("date", std::to_string(kDay), &why)) << why;
            auto& r = static_cast<TReportBaseDlg&>(d);
            r.SetOutputChoice(3);
            d.SendCommand(IDOK);
            printed = r.LastPrintSucceeded();
            if (r.IsRunning()) d.EndModal(IDCANCEL);
        });
        // The check dialog lists them, the first current, and the user says OK.
        std::vector<std::string> offered;
        scripted.QueueDialog([&](TDialog& d) {
            auto* list = d.ChildAs<TListBoxBase>(5111);
            ASSERT_NE(list, nullptr);
            for (const auto& item : list->Items())
                offered.push_back(item.text);
            EXPECT_EQ(list->GetSelIndex(), 0);
            d.SendCommand(IDOK);
        });
        dlg.Execute();
        EXPECT_EQ(offered, (std::vector<std::string>{"12/11/2024", "11/11/2024", "13/11/2024"}));
    }
    host::ui::SetBackend(&backend_);
    EXPECT_TRUE(printed);
    ASSERT_TRUE(dayend::UnprintedDays(db(), kDay + 1, &days, &error));
    EXPECT_TRUE(days.empty());
    EXPECT_EQ(Day(kDay, "DDET_PRINTED"), "Y");
    // Not closed: the report alone never closes the day.
    EXPECT_EQ(LastDay(), 20241113);
}

TEST_P(ClosingTest, CancellingTheListPrintsNothing) {
    Insert("DAYDET", "DDET_ID, DDET_DATE, DDET_PRINTED", "1, 20241112, 'N'");
    host::ui::ScriptedBackend scripted;
    host::ui::SetBackend(&scripted);
    scripted.SetDefaultAnswer(IDCANCEL);
    {
        TDayEndReportDlg dlg(nullptr, 7003, launcher_.get());
        scripted.QueueDialog([&](TDialog& d) {
            std::string why;
            d.SetField("date", std::to_string(kDay), &why);
            static_cast<TReportBaseDlg&>(d).SetOutputChoice(3);
            d.SendCommand(IDOK);
            d.EndModal(IDCANCEL);
        });
        dlg.Execute();
    }
    host::ui::SetBackend(&backend_);
    EXPECT_EQ(Day(20241112, "DDET_PRINTED"), "N");
    EXPECT_EQ(Day(kDay, "DDET_PRINTED"), "");
}

TEST_P(ClosingTest, TheDialogClosesTheDayWithItsPrintedMarkThenRefusesAgain) {
    host::ui::ScriptedBackend scripted;
    host::ui::SetBackend(&scripted);
    scripted.SetDefaultAnswer(IDYES);
    auto run = [&] {
        bool printed = false;
        TDayEndReportDlg dlg(nullptr, 7003, launcher_.get());
        scripted.QueueDialog([&](TDialog& d) {
            std::string why;
            EXPECT_TRUE(d.SetField("date", std::to_string(kDay), &why)) << why;
            EXPECT_TRUE(d.SetField("close", "yes", &why)) << why;
            EXPECT_TRUE(d.SetField("purge", "yes", &why)) << why;
            auto& r = static_cast<TReportBaseDlg&>(d);
            r.SetOutputChoice(3);
            d.SendCommand(IDOK);
            printed = r.LastPrintSucceeded();
            if (r.IsRunning()) d.EndModal(IDCANCEL);
        });
        dlg.Execute();
        return printed;
    };
    Insert("PATAPT", "PAPT_ID, PAPT_PATID, PAPT_DATE, PAPT_DELDATE", "1, 11, 20241110, 20241109");
    Insert("PATAPT", "PAPT_ID, PAPT_PATID, PAPT_DATE, PAPT_DELDATE", "2, 11, 20241120, 0");
    EXPECT_TRUE(run());
    EXPECT_EQ(LastDay(), kDay);
    EXPECT_EQ(Day(kDay, "DDET_CLOSED"), "Y");
    EXPECT_EQ(Day(kDay, "DDET_PRINTED"), "Y");
    // The purge of the deleted appointments went with the closing.
    EXPECT_EQ(db().QueryInt("SELECT COUNT(*) FROM " + P() + "PATAPT"), 1);
    // A second workstation (or a second run) gets the system's message.
    EXPECT_FALSE(run());
    bool refused = false;
    for (const auto& m : scripted.Messages())
        refused = refused || m.text.find("déjà effectuée pour le 14/11/2024") != std::string::npos;
    EXPECT_TRUE(refused);
    host::ui::SetBackend(&backend_);
}

TEST_P(ClosingTest, TheClosingPrintsTodaysAppointmentsAndKeepsTheirCopy) {
    namespace fs = std::filesystem;
    const long today = ldate_today();
    fs::remove_all(fs::path(host::Env().data_dir) / "Dayend");
    fs::remove(host::output::OutputPath("apptlist.pdf"));
    // A folder of another kind under Dayend is not a kept list.
    fs::create_directories(fs::path(host::Env().data_dir) / "Dayend" / "notes");
    Insert("PATAPT", "PAPT_ID, PAPT_PATID, PAPT_DATE, PAPT_TIME, PAPT_PRODUCER",
           "1, 11, " + std::to_string(today) + ", 930, 'D01'");
    host::ui::ScriptedBackend scripted;
    host::ui::SetBackend(&scripted);
    scripted.SetDefaultAnswer(IDYES);
    TDayEndReportDlg dlg(nullptr, 7003, launcher_.get());
    scripted.QueueDialog([&](TDialog& d) {
        std::string why;
        EXPECT_TRUE(d.SetField("date", std::to_string(kDay), &why)) << why;
        for (const char* f : {"close", "appointments", "digital"})
            EXPECT_TRUE(d.SetField(f, "yes", &why)) << f << ": " << why;
        static_cast<TReportBaseDlg&>(d).SetOutputChoice(3);
        d.SendCommand(IDOK);
        if (static_cast<TReportBaseDlg&>(d).IsRunning()) d.EndModal(IDCANCEL);
    });
    dlg.Execute();
    host::ui::SetBackend(&backend_);
    EXPECT_EQ(LastDay(), kDay);
    // The list went to the printer and its copy, the same pages, under Dayend/<today>.
    const std::string copy = dayend::SchedulePath(today);
    EXPECT_EQ(copy, host::Env().data_dir + "/Dayend/" + std::to_string(today) + "/Schedule.pdf");
    ASSERT_TRUE(fs::is_regular_file(copy));
    EXPECT_EQ(fs::file_size(copy), fs::file_size(host::output::OutputPath("apptlist.pdf")));
    EXPECT_FALSE(fs::exists(copy + ".part"));
    EXPECT_EQ(dayend::ScheduleDays(), (std::vector<long>{today}));

    // The history lists the kept days, newest first, and opens the chosen one.
    fs::create_directories(dayend::ScheduleFolder(20241001));
    fs::copy_file(copy, dayend::SchedulePath(20241001));
    fs::create_directories(dayend::ScheduleFolder(20241002));  // no list kept that day
    host::ui::ScriptedBackend recording;
    host::ui::SetBackend(&recording);
    DigitalHistoryListDlg history(nullptr);
    recording.QueueDialog([&](TDialog& d) {
        static_cast<DigitalHistoryListDlg&>(d).CmDetails();
        d.EndModal(IDCANCEL);
    });
    history.Execute();
    host::ui::SetBackend(&backend_);
    EXPECT_EQ(history.Days(), (std::vector<long>{today, 20241001}));
    ASSERT_FALSE(recording.FilesShown().empty());
    EXPECT_EQ(recording.FilesShown().back(), copy);
}

INSTANTIATE_TEST_SUITE_P(Engines, ClosingTest, testing::ValuesIn(testing_support::Engines()),
                         testing_support::EngineName);

}  // namespace
