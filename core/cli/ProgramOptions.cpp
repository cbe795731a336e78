// SPDX-License-Identifier: MIT
#include "cli/ProgramOptions.h"

#include "cli/GenerateRequest.h"
#include "cli/RecordRequest.h"
#include "loopback/Plugs.h"
#include "recording/RecordingFormats.h"

#include <iterator>

namespace portprov {

std::string Listed(const std::vector<std::string>& items, std::string_view last) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += i + 1 == items.size() ? last : std::string_view(", ");
        text += items[i];
    }
    return text;
}

std::vector<std::string> FileOptions(std::string_view suffix) {
    std::vector<std::string> options;
    for (const RecordingFormat& format : RecordingFormats())
        options.push_back("--" + std::string(format.option) + std::string(suffix));
    return options;
}

std::vector<std::string> PlugChoices(bool withPins) {
    std::vector<std::string> choices;
    for (const Plug& plug : kPlugs) {
        std::string choice = plug.option;
        if (withPins)
            choice += " (stift " + PinPairsText(plug, "-") + ")";
        choices.push_back(choice);
    }
    return choices;
}

std::vector<OptionDeclaration> ProgramOptions() {
    std::vector<OptionDeclaration> options{
        {"", "simulate", "Arbeta mot en simulerad PC i stället för mot de riktiga portarna.", ""},
        {"", "read", "Läs en byte från adressen och skriv ut den, utan fönster.", "adress"},
        // One value name shows both numbers: "--write <adress> <värde>".
        {"", "write",
         "Skriv värdet till adressen, utan fönster. --read och --write kan upprepas och görs i "
         "den ordning de står.",
         "adress> <värde"},
        {"", "plug",
         "Med --simulate: en slingkontakt i den simulerade porten 888, " +
             Listed(PlugChoices(true), " eller ") +
             ", eller printer: en skrivare som svarar på varje strobe med Busy och en Ack-puls.",
         "koppling"},
        {"", "fault",
         "Med --simulate: ett fel på en ingång (10, 11, 12, 13 eller 15) i den simulerade porten "
         "888: STIFT:stuck-low, STIFT:stuck-high eller STIFT:drop:ANDEL, där stiftet läses fel "
         "i den andelen av läsningarna (0 till 1). Kan upprepas, ett fel per stift.",
         "stift:fel"},
        {"", "loopback",
         "Kör slingtestet på parallellporten (--port, standard 888) med slingkontakten " +
             Listed(PlugChoices(false), " eller ") +
             " isatt, utan fönster, och skriv ut varje lednings resultat. Slutstatus 3 när en "
             "ledning inte fungerar.",
         "koppling"},
        {"", "repeat",
         "Med --loopback: kör testet så många gånger (0: tills Ctrl+C) och skriv sedan för "
         "varje ledning i hur många omgångar den fick fel och när det första kom. Med --expect: "
         "kör signalen, inspelningen och jämförelsen så många gånger och räkna skillnaderna per "
         "ledning.",
         "antal"},
        {"", "info",
         "Undersök vad varje parallellport kan (SPP, PS/2, EPP, ECP) och skriv ut det med kärnans "
         "uppgifter om porten, utan fönster. En apparat på porten ser några korta testsignaler; "
         "registren återställs efteråt.",
         ""},
    };
    for (const SignalOption& signal : kSignalOptions)
        options.push_back({"", signal.name, signal.help, signal.valueName});
    const OptionDeclaration recording[] = {
        {"", "port",
         "Parallellporten som " + SignalOptionNames("och") +
             " driver och --loopback testar, med sin bas (standard 888).",
         "bas"},
        {"", "record",
         "Spela in registret på adressen, utan fönster; kan upprepas. Kräver minst en av " +
             Listed(FileOptions(""), " och ") + ", som alla sparas, eller --expect.",
         "adress"},
        {"", "duration",
         "Inspelningens längd (standard 1 sekund). Med --square vågens längd (standard 1 "
         "sekund); med " +
             SignalOptionNames("och", true) +
             " inspelningens, minst signalens (standard: signalens). Högst " +
             std::to_string(kLongestRecording.count()) + " sekunder.",
         "sekunder"},
        {"", "samples", "Inspelningens längd i antal mätningar.", "antal"},
        {"", "rate",
         "Mät med fast takt, 1000 till 1000000 gånger i sekunden (standard: så fort vägen till "
         "porten medger).",
         "hz"},
        // Taken out before the options are parsed, as it takes two numbers.
        {"", "start-write",
         "Skriv värdet till adressen just innan mätningen börjar (513 startar spelportens "
         "tidtagning).",
         "adress> <värde"},
        {"", "trigger",
         "Börja vid en flank på stiftet, rise eller fall, och spara en tiondel från före den. "
         "Finns stiftet på flera av de inspelade portarna, skriv portens adress först "
         "(513:3:fall).",
         "[adress:]stift:rise|fall"},
    };
    options.insert(options.end(), std::begin(recording), std::end(recording));
    for (const RecordingFormat& format : RecordingFormats())
        options.push_back({"", std::string(format.option), std::string(format.optionHelp), "fil"});
    options.push_back(
        {"", "expect",
         "Med --record: jämför inspelningen efteråt med en inspelning av ett "
         "fungerande kort (CSV som --csv sparar) och skriv för varje ledning i den om "
         "flankerna stämmer. Slutstatus 3 när en ledning skiljer sig.",
         "fil"});
    options.push_back({"", "tolerance",
                       "Med --expect: hur långt en flank får ligga från referensens (standard en "
                       "tiondel av ledningens kortaste intervall, aldrig under inspelningens "
                       "upplösning).",
                       "sekunder"});
    options.push_back({"", "report",
                       "Med --expect eller --loopback: spara en rapport om körningen i en "
                       "HTML-fil att öppna i en webbläsare och skriva ut, med resultatet för "
                       "varje ledning (och med --expect ett tidsdiagram), vad utfallet än blir.",
                       "fil"});
    options.push_back({"", "stick",
                       "Med --simulate: styrspak A på X,Y procent av sitt utslag (standard 50,50).",
                       "x,y"});
    options.push_back({"h", "help", "Visa den här hjälptexten.", ""});
    options.push_back({"v", "version", "Visa programmets version.", ""});
    return options;
}

} // namespace portprov
