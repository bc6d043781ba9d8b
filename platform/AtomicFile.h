// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing a file in one piece, for the settings file and the files the user
// saves: the data go to a new file in the same folder, which is renamed over
// the path only once all of it is written.

#include <QByteArray>
#include <QString>

// Replaces or creates the file at path with data. A symbolic link that leads
// to a regular file stays a link: the file it leads to is replaced. On any
// failure (a full disk, a file-size limit, no permission, a path that holds a
// folder, a FIFO or a device) whatever was at path stays as it was, no new
// file is left behind, and the answer says why in a few words ("the disk is
// full"); it is empty when the file was written.
QString WriteFileAtomically(const QString& path, const QByteArray& data);
