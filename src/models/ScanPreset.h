#pragma once
#include "platform/HostPlatform.h"

#include <QList>
#include <QString>
#include <QUuid>

// A place offered for scanning: the fixed places of `all()` (home, the user folders, the
// applications folder, the whole disk) and the mounted volumes of `mountedVolumes()`.
struct ScanPreset {
    QUuid id; // unique per preset made
    QString label; // the English name of a fixed place, or a volume's own name
    QString symbol; // symbol name
    QString path; // absolute path
    // The label is a fixed English text (looked up for translation where a window shows it
    // translated), not a volume's name.
    bool isFixedPlace = false;

    // The label in the interface language for a fixed place; a volume's name as it is.
    QString displayLabel() const;

    friend bool operator==(const ScanPreset&, const ScanPreset&) = default;

    // The fixed places, in order: Home, Documents, Downloads, Desktop, Applications, Whole Disk.
    // Made once per process and kept while the places stay the same, so ids are stable; made
    // anew (new ids) when the home folder or the desktop's user folders change.
    //
    // Off macOS the user folders are the desktop's own, localised ones ("~/Dokumente"); one that
    // the desktop has switched off (set to the home folder) is left out. Applications is the
    // first existing folder of the platform's applications folders (macOS: "/Applications";
    // elsewhere: "~/Applications", where AppImages and hand-installed programs go, then "/opt"
    // when it holds anything), and is left out off macOS when none exists.
    static QList<ScanPreset> all();
    // The same places as `platform` has them, without ids, read afresh.
    static QList<ScanPreset> fixedPlaces(HostPlatform platform);

    // One preset per browsable mounted volume (see MountedVolumes), with a new id each time:
    // label = the volume's name, symbol "externaldrive", path = its mount path.
    static QList<ScanPreset> mountedVolumes();
};
