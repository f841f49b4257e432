#pragma once

#include <QString>

#include "update/DescriptorSignature.h"

struct PlatformHosts;

// Where another game's launcher comes from and goes to.
struct GameDownloadPlaces {
    QString updateDescriptorAddress; // this launcher's descriptor address, "ycj" in it
    QString downloadOrigin;          // the installer must come from this host and port
    QString descriptorFolder;        // the game's descriptor is saved here while it is read
    QString tempFolder;              // the installer is saved here
    DescriptorKey key{};             // the platform's key, when descriptors must be signed
};

// This installation: the resource and download hosts and key of `hosts`, the
// executable's folder and the temporary folder.
GameDownloadPlaces CurrentGameDownloadPlaces(const PlatformHosts &hosts);

// The game's descriptor address: every "ycj" (case-sensitive, left to right) replaced by
// `gameName`, which turns both the resource host and the descriptor's file name into
// the game's own.
QString GameDescriptorAddress(const QString &updateDescriptorAddress, const QString &gameName);

// folder + "/" + gameName + ".exe".
QString GameInstallerPath(const QString &tempFolder, const QString &gameName);

// The status line under way: "已加载  37%".
QString DownloadStatusText(int percent);
