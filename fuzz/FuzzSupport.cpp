#include "FuzzSupport.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    // The readers log every skipped line; millions of runs need none of it.
    QLoggingCategory::setFilterRules(
        QStringLiteral("*.warning=false\n*.info=false\n*.debug=false"));
}

void FuzzFailure(const char* what) {
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}
