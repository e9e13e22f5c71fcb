// SPDX-License-Identifier: MIT
// orlika-convert [--to FORMAT | --profile NAME] [-o DIR] [--turn] DESIGN...: each design
// written in the format (and checked against the hoop) of the user's machine, every file
// read back and compared with the design before it is given its name.
#include "collection/CollectionFiles.h"
#include "encoders/Conversion.h"
#include "tools/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <filesystem>

namespace {

using namespace orlika;

const QString kProgram = QStringLiteral("orlika-convert");

struct Options {
    ConversionTarget target;
    std::string folder = ".";
    NameClash clash = NameClash::Keep;
    std::vector<std::string> designs;
    bool listProfiles = false;
};

struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption to{QStringLiteral("to"), QStringLiteral("Write FORMAT files (%1), whatever their size.").arg(formatNames()),
                          QStringLiteral("FORMAT")};
    QCommandLineOption profile{QStringLiteral("profile"),
                               QStringLiteral("Write for the machine NAME (see --list-profiles): its format, and only "
                                              "designs that fit its hoop."),
                               QStringLiteral("NAME")};
    QCommandLineOption output{QStringList{QStringLiteral("o"), QStringLiteral("output")},
                              QStringLiteral("Write into the folder DIR (the current folder when not given)."),
                              QStringLiteral("DIR")};
    QCommandLineOption pesVersion{QStringLiteral("pes-version"),
                                  QStringLiteral("The PES version written: 1 (read by every Brother machine; the "
                                                 "default) or 6 (keeps the threads' colours and names)."),
                                  QStringLiteral("1|6")};
    QCommandLineOption turn{QStringLiteral("turn"),
                            QStringLiteral("Turn a design a quarter turn clockwise when only so it fits the hoop.")};
    QCommandLineOption replace{QStringLiteral("replace"),
                               QStringLiteral("Replace a file of the same name (kept, and the design not written, "
                                              "when not given).")};
    QCommandLineOption listProfiles{QStringLiteral("list-profiles"), QStringLiteral("List the machine profiles.")};

    CommandLine()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Writes each design in the format of an embroidery machine, as DIR/NAME.EXT, one line a\n"
            "design. Every file is written to a temporary file, read back and compared stitch by\n"
            "stitch with the design before it takes its name; a design too large for the machine's\n"
            "hoop, a file that does not read back the same or a name that exists writes nothing.\n"
            "Designs are never scaled, and the designs given are never changed. Exit status 0 when\n"
            "every design was written, 1 when any was not (each named on standard error with the\n"
            "reason), 2 for a wrong command line."));
        parser.addOptions({to, profile, output, pesVersion, turn, replace, listProfiles});
        parser.addPositionalArgument(QStringLiteral("DESIGN"),
                                     QStringLiteral("A design file; a design in a zip archive as ARCHIVE//ENTRY."),
                                     QStringLiteral("DESIGN..."));
    }

    static QString formatNames()
    {
        QStringList names;
        for (const Encoder& encoder : encoders())
            if (!names.contains(QString::fromLatin1(encoder.extension)))
                names << QString::fromLatin1(encoder.extension);
        return names.join(QStringLiteral(", "));
    }

    QString problem(Options& options) const
    {
        options.listProfiles = parser.isSet(listProfiles);
        if (options.listProfiles)
            return {};
        if (parser.isSet(to) == parser.isSet(profile))
            return QStringLiteral("give the format with --to FORMAT or the machine with --profile NAME");
        int version = 0;
        if (parser.isSet(pesVersion)) {
            version = parser.value(pesVersion).toInt();
            if (version != 1 && version != 6)
                return QStringLiteral("the PES version is 1 or 6, not '%1'").arg(parser.value(pesVersion));
        }
        if (parser.isSet(to)) {
            const std::string format = parser.value(to).toStdString();
            options.target.encoder = encoderFor(format, version);
            if (!options.target.encoder)
                return QStringLiteral("no writer for '%1'; the formats written are %2").arg(parser.value(to), formatNames());
        } else {
            const MachineProfile* machine = profileNamed(parser.value(profile).toStdString());
            if (!machine)
                return QStringLiteral("no machine profile '%1'; --list-profiles lists them").arg(parser.value(profile));
            options.target = targetOf(*machine);
            if (version != 0)
                options.target.encoder = encoderFor(machine->extension, version);
            if (!options.target.encoder)
                return QStringLiteral("no writer for the %1 format of '%2' in this version")
                    .arg(QString::fromLatin1(machine->extension), parser.value(profile));
        }
        if (version != 0 && options.target.encoder->extension != "PES")
            return QStringLiteral("--pes-version is for PES files only");
        options.target.turn = false;
        if (parser.isSet(output))
            options.folder = parser.value(output).toStdString();
        if (!std::filesystem::is_directory(options.folder))
            return QStringLiteral("%1 is not a folder").arg(QString::fromStdString(options.folder));
        options.clash = parser.isSet(replace) ? NameClash::Replace : NameClash::Keep;
        if (parser.positionalArguments().isEmpty())
            return QStringLiteral("give the designs to convert");
        for (const QString& design : parser.positionalArguments())
            options.designs.push_back(design.toStdString());
        return {};
    }
};

void listMachineProfiles()
{
    for (const MachineProfile& profile : machineProfiles()) {
        const bool written = targetOf(profile).encoder != nullptr;
        std::printf("%-18s %s%s\n", std::string(profile.key).c_str(), std::string(profile.name).c_str(),
                    written ? "" : " (no writer yet)");
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CommandLine commandLine;
    Options options;
    if (const auto status = tools::parseCommandLine(kProgram, commandLine.parser, app.arguments(),
                                                    [&] { return commandLine.problem(options); }))
        return *status;
    if (options.listProfiles) {
        listMachineProfiles();
        return 0;
    }
    ArchiveShelf archives;
    CollectionFileSystem files(archives);
    bool everyWritten = true;
    for (const std::string& design : options.designs) {
        ConversionOutcome outcome = convertDesign(design, files, options.folder, options.target, options.clash);
        if (!outcome.written && outcome.fitsTurned && commandLine.parser.isSet(commandLine.turn)) {
            ConversionTarget turned = options.target;
            turned.turn = true;
            outcome = convertDesign(design, files, options.folder, turned, options.clash);
        }
        for (const std::string& remark : outcome.remarks)
            std::fprintf(stderr, "%s: %s: %s\n", qPrintable(kProgram), design.c_str(), remark.c_str());
        if (outcome.written) {
            std::printf("%s\n", outcome.destination.c_str());
        } else {
            std::fprintf(stderr, "%s: %s: %s\n", qPrintable(kProgram), design.c_str(), outcome.problem.c_str());
            everyWritten = false;
        }
    }
    return everyWritten ? 0 : 1;
}
