// Dialog templates: the format, the report button row, malformed files, and the templates
// shipped in resources/dialogs.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "host/base/strings.h"
#include "host/ui/dlgtemplate.h"
#include "tests/ui/ui_support.h"

using host::ui::ControlKind;
using host::ui::DialogTemplate;
using host::ui::ParseDialogTemplate;

TEST(DialogTemplate, ReadsControlsLabelsAndOptions) {
    DialogTemplate t;
    std::string error;
    ASSERT_TRUE(ParseDialogTemplate(
        "# comment\n"
        "dialog 7100 \"Critères \\\"spéciaux\\\"\" 200 120\n"
        "\n"
        "static -1 5 5 60 8 \"Deux\\nlignes\"   # trailing comment\n"
        "spin 112 70 5 30 12 range=1..5 name=copies\n"
        "combo 102 70 20 80 40 items=\"Docteur|Facturation par Docteur\" values=\"0|1\" "
        "name=report_by\n"
        "radio 106 5 40 90 10 \"Un\" group name=kind\n"
        "radio 107 5 52 90 10 \"Deux\"\n"
        "listview 5111 5 70 190 40 columns=\"No:20|Type:40|Nom:120\" view=report\n"
        "button 1 140 100 50 14 \"OK\" default disabled\n",
        "t.dlg", &t, &error))
        << error;
    EXPECT_EQ(t.id, 7100);
    EXPECT_EQ(t.caption, "Critères \"spéciaux\"");
    EXPECT_EQ(t.width, 200);
    ASSERT_EQ(t.controls.size(), 7u);
    EXPECT_EQ(t.controls[0].text, "Deux\nlignes");
    const auto* spin = t.Find(112);
    ASSERT_NE(spin, nullptr);
    EXPECT_TRUE(spin->has_range);
    EXPECT_EQ(spin->range_low, 1);
    EXPECT_EQ(spin->range_high, 5);
    const auto* combo = t.FindByName("report_by");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->items, (std::vector<std::string>{"Docteur", "Facturation par Docteur"}));
    EXPECT_EQ(combo->values, (std::vector<std::string>{"0", "1"}));
    EXPECT_TRUE(t.Find(106)->group);
    EXPECT_FALSE(t.Find(107)->group);
    ASSERT_EQ(t.Find(5111)->columns.size(), 3u);
    EXPECT_EQ(t.Find(5111)->columns[2], (std::pair<std::string, int>{"Nom", 120}));
    EXPECT_EQ(t.Find(5111)->view, LV_VIEW_DETAILS);
    EXPECT_TRUE(t.Find(IDOK)->is_default);
    EXPECT_TRUE(t.Find(IDOK)->disabled);

    const auto fields = host::ui::DescribeFields(t);
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0].name, "copies");
    EXPECT_EQ(fields[0].help, "nombre de 1 à 5");
    EXPECT_EQ(fields[1].help, "0=Docteur|1=Facturation par Docteur");
    EXPECT_EQ(fields[2].name, "kind");
    EXPECT_EQ(fields[2].help, "0|1 (Un|Deux)");
}

TEST(DialogTemplate, ReportBarAddsTheStandardRowBelowTheControls) {
    // Wide dialog: destination and buttons on one row.
    DialogTemplate wide;
    std::string error;
    ASSERT_TRUE(ParseDialogTemplate("dialog 1 \"W\" 400 100\nreportbar\n", "w", &wide, &error));
    const auto* dest = wide.Find(host::ui::IDC_DESTINATION);
    ASSERT_NE(dest, nullptr);
    EXPECT_EQ(dest->rect.y, 104);
    EXPECT_EQ(dest->values, (std::vector<std::string>{"0", "1", "2", "3"}));
    EXPECT_EQ(dest->strings_first, 12401);
    EXPECT_EQ(wide.Find(IDOK)->rect.y, 104);
    EXPECT_TRUE(wide.Find(IDOK)->is_default);
    EXPECT_EQ(wide.Find(IDOK)->text, host::LoadText(12405));
    // Buttons end 7 units from the right edge, 54 units apart.
    EXPECT_EQ(wide.Find(IDCANCEL)->rect.x + wide.Find(IDCANCEL)->rect.w, 400 - 7);
    EXPECT_EQ(wide.Find(IDCANCEL)->rect.x - wide.Find(host::ui::IDC_SAVEDEFAULT)->rect.x, 54);
    EXPECT_EQ(wide.height, 104 + 14 + 6);

    // Narrow dialog: the buttons go on a second row.
    DialogTemplate narrow;
    ASSERT_TRUE(ParseDialogTemplate("dialog 1 \"N\" 230 62\nreportbar\n", "n", &narrow, &error));
    EXPECT_EQ(narrow.Find(host::ui::IDC_DESTINATION)->rect.y, 66);
    EXPECT_EQ(narrow.Find(IDOK)->rect.y, 84);
    EXPECT_EQ(narrow.height, 84 + 14 + 6);
    EXPECT_GE(narrow.Find(IDOK)->rect.x, 0);
}

TEST(DialogTemplate, MalformedFilesAreRefusedWithTheirLine) {
    const struct {
        const char* text;
        const char* message;  // part of the error
    } cases[] = {
        {"static -1 0 0 1 1\n", ":1: la première ligne doit être « dialog »"},
        {"", "ligne « dialog » manquante"},
        {"dialog 1 \"x\" 10\n", ":1: attendu : dialog"},
        {"dialog 1 x 10 10\n", ":1: attendu : dialog"},
        {"dialog 1 \"x\" 10 10\ndialog 2 \"y\" 10 10\n", ":2: deuxième ligne"},
        {"dialog 1 \"x\" 10 10\nslider 5 0 0 1 1\n", ":2: type de contrôle inconnu : slider"},
        {"dialog 1 \"x\" 10 10\nedit 5 0 0 1\n", ":2: attendu : edit ID X Y"},
        {"dialog 1 \"x\" 10 10\nedit 5 0 0 -1 1\n", ":2: taille négative"},
        {"dialog 1 \"x\" 10 10\nedit 5 0 0 1 1\ndate 5 0 0 1 1\n", ":3: contrôle 5 déjà défini"},
        {"dialog 1 \"x\" 10 10\nedit 5 0 0 1 1 name=AsOf\n", ":2: nom de champ invalide : AsOf"},
        {"dialog 1 \"x\" 10 10\nedit 5 0 0 1 1 name=a\nedit 6 0 0 1 1 name=a\n",
         ":3: nom déjà utilisé : a"},
        {"dialog 1 \"x\" 10 10\nstatic 5 0 0 1 1 \"t\" name=a\n", ":2: un contrôle static n'a pas"},
        {"dialog 1 \"x\" 10 10\nstatic 5 0 0 1 1 \"non fermé\n", ":2: guillemet non fermé"},
        {"dialog 1 \"x\" 10 10\ncombo 5 0 0 1 1 items=\"a|b\" values=\"1\"\n",
         ":2: autant de valeurs"},
        {"dialog 1 \"x\" 10 10\nspin 5 0 0 1 1 range=5..1\n", ":2: intervalle invalide"},
        {"dialog 1 \"x\" 10 10\nedit 5 0 0 1 1 bold\n", ":2: option inconnue : bold"},
        {"dialog 1 \"x\" 10 10\nreportbar\nedit 5 0 0 1 1\n", ":3: « reportbar » doit être"},
        {"dialog 1 \"x\" 10 10\nbutton 1 0 0 1 1 \"OK\"\nreportbar\n",
         ":3: le contrôle 1 est réservé"},
    };
    for (const auto& c : cases) {
        DialogTemplate t;
        std::string error;
        EXPECT_FALSE(ParseDialogTemplate(c.text, "bad.dlg", &t, &error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << " -> " << error;
        EXPECT_EQ(error.rfind("bad.dlg:", 0), 0u) << error;
    }
}

TEST(DialogTemplate, ShippedTemplatesAreWellFormed) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(host::ResourceDir()) / "dialogs";
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() != ".dlg") continue;
        ++files;
        const int id = std::stoi(entry.path().stem().string());
        std::string error;
        auto t = host::ui::LoadDialogTemplate(id, &error);
        ASSERT_NE(t, nullptr) << error;
        EXPECT_FALSE(t->caption.empty()) << entry.path();
        // Every control lies inside the dialog.
        for (const auto& c : t->controls) {
            EXPECT_LE(c.rect.x + c.rect.w, t->width) << entry.path() << " control " << c.id;
            EXPECT_LE(c.rect.y + c.rect.h, t->height + 60) << entry.path() << " control " << c.id;
        }
    }
    EXPECT_GE(files, 3);
    std::string error;
    EXPECT_EQ(host::ui::LoadDialogTemplate(6999, &error), nullptr);
    EXPECT_NE(error.find("6999.dlg"), std::string::npos);
}

TEST(DialogTemplate, ReceivablesDialogDeclaresTheCriteriaNames) {
    auto t = host::ui::LoadDialogTemplate(7006);
    ASSERT_NE(t, nullptr);
    std::vector<std::string> names;
    for (const auto& f : host::ui::DescribeFields(*t))
        names.push_back(f.name);
    const std::set<std::string> got(names.begin(), names.end());
    EXPECT_EQ(got, (std::set<std::string>{"producer", "as_of", "min_balance", "overdue", "kind",
                                          "grouping", "option111", "notes", "copies", "report_by",
                                          "future"}));
    EXPECT_EQ(t->FindByName("kind")->id, 106);
    EXPECT_EQ(t->FindByName("grouping")->id, 109);
    EXPECT_EQ(t->FindByName("copies")->range_high, 5);
}
