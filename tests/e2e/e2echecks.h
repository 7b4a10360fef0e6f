// Checks shared by the end-to-end suites: a usable simulated stick, a clean volume afterwards,
// and no message box left unanswered.
#pragma once

#include "common/testenv.h"
#include "fatimage.h"
#include "simstick.h"

#include <QTest>

// In initTestCase(): settings sandboxed; the whole suite skips where no stick can be simulated.
#define E2E_INIT()                                                                                 \
    do {                                                                                           \
        TestEnv::isolate();                                                                        \
        const QString reason = SimStick::unavailableReason();                                      \
        if (!reason.isEmpty())                                                                     \
            QSKIP(qPrintable(QStringLiteral("no simulated discwand on this computer: ") + reason)); \
    } while (false)

#define REQUIRE_STICK(stick)                                                                       \
    QVERIFY2((stick).isValid(), qPrintable((stick).error()));                                     \
    qputenv("DISCSHELF_SYSROOT", (stick).sysroot().toLocal8Bit())

#define VERIFY_CLEAN(stick)                                                                        \
    do {                                                                                           \
        FatImage fat((stick).image());                                                             \
        QVERIFY2(fat.isClean(), qPrintable(fat.report()));                                         \
    } while (false)

#define VERIFY_NO_STRAY_BOX(app)                                                                   \
    QVERIFY2((app).strayBoxes().isEmpty(), qPrintable((app).strayBoxes().join(QLatin1Char(','))))
