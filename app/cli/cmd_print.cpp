// rapports print FILE.prt [--pdf OUT.pdf]: a text report file printed to PDF, page for page.
#include <cstdio>

#include "app/cli/command.h"
#include "host/output/paths.h"
#include "host/output/textprint.h"

namespace {

std::function<int()> Setup(CLI::App& sub) {
    auto file = std::make_shared<std::string>();
    auto pdf = std::make_shared<std::string>();
    sub.add_option("file", *file, "Fichier texte du rapport (.prt)")->required();
    sub.add_option("--pdf", *pdf, "Fichier PDF à écrire (défaut : le fichier .prt en .pdf)");
    return [file, pdf] {
        const std::string out = pdf->empty() ? host::output::WithExtension(*file, ".pdf") : *pdf;
        std::string error;
        int pages = 0;
        if (!host::output::PrintTextFileToPdf(*file, out, &error, &pages)) {
            cli::PrintError(error);
            return 1;
        }
        std::printf("%s : %d page%s\n", out.c_str(), pages, pages > 1 ? "s" : "");
        return 0;
    };
}

RAPPORTS_COMMAND("print", "Imprime un fichier de rapport texte (.prt) en PDF, page pour page", 60,
                 Setup);

}  // namespace
