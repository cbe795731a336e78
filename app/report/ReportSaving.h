// SPDX-License-Identifier: MIT
#pragma once

#include "report/ReportFacts.h"
#include "widgets/MessageBox.h"

#include <QString>

#include <chrono>
#include <functional>
#include <string>

class QWidget;

// The dialogs' "Spara rapport…": a run's report saved as one HTML file, as
// --report saves it.

// Asks for the name of a file to save in (empty: cancelled). Tests put their
// own in place of the Swedish file dialog.
using ChooseReportFile =
    std::function<QString(QWidget* parent, const QString& caption, const QString& filter)>;
QString ChooseSwedishReportFile(QWidget* parent, const QString& caption, const QString& filter);

// How the program reaches the ports, as the report names it; asked only when
// a report is saved, so that the window's start probes nothing. The program
// sets it once; without it the report says nothing of the way.
void SetReportWayToPorts(std::function<std::string()> way);

// The facts of a report made in the window: the program's version, the way
// to the ports, and what the dialog tells.
portprov::ReportFacts WindowReportFacts(std::chrono::system_clock::time_point when,
                                        std::string port, std::string signal,
                                        std::string reference);

// Asks for a file and saves the page there whole or not at all; a file that
// cannot be saved is shown as a message. False when nothing was saved.
bool SaveReportAs(QWidget* parent, const ChooseReportFile& choose, const ::ShowMessage& show,
                  const std::string& html);
