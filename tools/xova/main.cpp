// xova: inspect, export, import, check and convert Dataset files.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

#include "commands.h"
#include "csv_input.h"
#include "dict_json.h"
#include "xovaio32.hpp"
#include "xovaio32_version.h"

using namespace xova_tool;

namespace {

int Report(const std::string& what) {
  std::fprintf(stderr, "xova: %s\n", what.c_str());
  return kExitFailure;
}

// --compress and --no-compress, which exclude each other.
void AddCompressionFlags(CLI::App* sub, bool& compress, bool& noCompress) {
  auto* on = sub->add_flag("--compress", compress, "Compress the cases");
  auto* off = sub->add_flag("--no-compress", noCompress, "Store the cases raw");
  on->excludes(off);
}

void AddQuietFlag(CLI::App* sub, bool& quiet) {
  sub->add_flag("-q,--quiet", quiet, "No progress bar");
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"xova: inspect, export, import, check and convert Dataset files"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("xova ") + XOVAIO32_VERSION);

  std::string file;
  bool json = false;
  auto* info = app.add_subcommand("info", "File label, dates, byte order, counts and sets");
  info->add_option("FILE", file, "Dataset file")->required();
  info->add_flag("--json", json, "One JSON object");

  auto* dict = app.add_subcommand("dict", "The whole dictionary");
  dict->add_option("FILE", file, "Dataset file")->required();
  dict->add_flag("--json", json, "JSON as documented in docs/dictionary-json.md");

  ExportOptions ex;
  auto* exp = app.add_subcommand("export", "The cases as CSV, TSV or JSON lines");
  exp->add_option("FILE", ex.file, "Dataset file")->required();
  exp->add_option("-o,--output", ex.output, "Output file (default: standard output)");
  exp->add_option("--format", ex.format, "csv, tsv or jsonl")
      ->check(CLI::IsMember({"csv", "tsv", "jsonl"}));
  exp->add_option("--columns", ex.columns, "Variables to export, in this order")->delimiter(',');
  exp->add_option("--rows", ex.rows, "Cases FIRST:LAST, from 0, LAST exclusive");
  exp->add_flag("--labels", ex.labels, "A value's label instead of the value where it has one");
  exp->add_option("--jobs", ex.jobs, "Threads, each exporting a range of the cases")
      ->check(CLI::Range(1, 64));
  AddQuietFlag(exp, ex.quiet);

  ImportOptions im;
  auto* imp = app.add_subcommand("import", "A new Dataset file from a CSV with a header line");
  imp->add_option("CSV", im.csv, "CSV file, or - for standard input")->required();
  imp->add_option("-o,--output", im.output, "The Dataset file to create")->required();
  auto* dictOpt = imp->add_option("--dict", im.dict, "Dictionary JSON (as xova dict --json)");
  auto* likeOpt = imp->add_option("--like", im.like, "Take the dictionary from this Dataset file");
  dictOpt->excludes(likeOpt);
  AddCompressionFlags(imp, im.compress, im.noCompress);
  imp->add_option("--label", im.label, "File label")->each([&](const std::string&) {
    im.haveLabel = true;
  });
  imp->add_flag("--ignore-extra-columns", im.ignoreExtraColumns,
                "Skip CSV columns that name no variable (with --dict or --like)");
  imp->add_flag("--allow-missing-columns", im.allowMissingColumns,
                "Variables without a column get system-missing or blanks");
  AddQuietFlag(imp, im.quiet);

  bool quiet = false;
  auto* chk = app.add_subcommand("check", "Open the file and read every case");
  chk->add_option("FILE", file, "Dataset file")->required();
  AddQuietFlag(chk, quiet);

  CopyOptions cp;
  auto* cpy = app.add_subcommand("copy", "A new file with the same dictionary, re-encoded");
  cpy->add_option("IN", cp.input, "Dataset file to copy")->required();
  cpy->add_option("OUT", cp.output, "The new Dataset file")->required();
  AddCompressionFlags(cpy, cp.compress, cp.noCompress);
  cpy->add_option("--rows", cp.rows, "Cases FIRST:LAST, from 0, LAST exclusive");
  AddQuietFlag(cpy, cp.quiet);

  std::string topic;
  auto* hlp = app.add_subcommand("help", "This help, or a command's: xova help COMMAND");
  hlp->add_option("COMMAND", topic, "The command");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kExitUsage;
  }

  InstallCleanupHandlers();
  try {
    if (*hlp) {
      if (topic.empty()) {
        // app.help() would give the help of the command run: this one.
        std::cout << app.get_formatter()->make_help(&app, app.get_name(),
                                                    CLI::AppFormatMode::Normal);
        return kExitOk;
      }
      for (const CLI::App* sub : {info, dict, exp, imp, chk, cpy}) {
        if (sub->get_name() == topic) {
          std::cout << sub->help(app.get_name());
          return kExitOk;
        }
      }
      throw UsageError("help: no command named " + topic);
    }
    if (*info) return InfoCommand(file, json);
    if (*dict) return DictCommand(file, json);
    if (*exp) return ExportCommand(ex);
    if (*imp) return ImportCommand(im);
    if (*chk) return CheckCommand(file, quiet);
    if (*cpy) return CopyCommand(cp);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "xova: %s\nRun with --help for more information.\n", e.what());
    return kExitUsage;
  } catch (const xovaio32::Error& e) {
    return Report(e.what());
  } catch (const ToolError& e) {
    return Report(e.what());
  } catch (const std::bad_alloc&) {
    return Report("out of memory");
  } catch (const std::exception& e) {
    return Report(e.what());
  }
  return kExitUsage;
}
