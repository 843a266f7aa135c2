// The report registry against the Reports Manager's catalog: every report a user can open
// from the catalog is offered under the dialog the catalog names, and only the closings
// open the practice to write.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/registry.h"
#include "shell/catalog.h"

namespace {

TEST(Registry, EachReportIsItsCatalogEntryAndOnlyTheClosingsWrite) {
    const std::set<int> closings = {101, 108, 1003};
    std::set<std::string> keys;
    std::set<int> commands;
    const auto all = reports::AllReports();
    ASSERT_GE(all.size(), 19u);
    for (const reports::ReportDescriptor* d : all) {
        SCOPED_TRACE(d->key);
        EXPECT_TRUE(keys.insert(d->key).second);
        EXPECT_EQ(reports::FindReport(d->key), d);
        EXPECT_EQ(d->text_file.substr(d->text_file.find('.')), ".prt");
        EXPECT_EQ(d->writes, closings.count(d->command) == 1);
        if (d->command == 0) continue;  // opened by the host application itself
        EXPECT_TRUE(commands.insert(d->command).second);
        EXPECT_EQ(reports::FindReport(d->command), d);
        EXPECT_TRUE(reports::IsAvailable(d->command));
        const reports::CatalogEntry* e = reports::FindEntry(d->command);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(d->dialog_class, e->class_name);
        EXPECT_EQ(d->resource, e->resource);
        EXPECT_TRUE(d->make_dialog);
    }
    for (int command : {100, 101, 102, 108, 111, 114, 121, 610, 1002, 1003})
        EXPECT_TRUE(commands.count(command)) << command;
    // The practice analysis prints its template over its data file.
    const reports::ReportDescriptor* analysis = reports::FindReport(111);
    ASSERT_NE(analysis, nullptr);
    EXPECT_EQ(analysis->text_file, "pranyrpt.prt");
    EXPECT_EQ(analysis->template_name, "prany.rpt");
}

}  // namespace
