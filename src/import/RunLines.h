#pragma once

// The numbered lines of "Start Importing". A failure is reported with the number of the line
// that ran, and users quote these numbers to support: they never change.
namespace RunLine {
// The run.
inline constexpr int CreateSession = 100;
inline constexpr int SessionCreated = 102;
inline constexpr int CheckFilesAdded = 106;
inline constexpr int CheckTableSelected = 108;
inline constexpr int CheckTableName = 110;
inline constexpr int CountFiles = 112;
inline constexpr int NextFile = 364;
inline constexpr int FilesDone = 366;
inline constexpr int SayDone = 372;
inline constexpr int SayTablesExist = 374;
inline constexpr int SayTableNameExists = 376;
inline constexpr int SaySelectTable = 378;
inline constexpr int SayNoFiles = 380;

// One file: its session and working copy.
inline constexpr int FileBegins = 114;
inline constexpr int BusyPointer = 116;
inline constexpr int OpenSession = 120;
inline constexpr int TakePath = 122;
inline constexpr int PathTaken = 124;
inline constexpr int CopyFile = 126;
inline constexpr int KeepLines = 128;
inline constexpr int ReadSource = 136;
inline constexpr int OpenCopyForWriting = 174;
inline constexpr int WriteCopy = 176;
inline constexpr int CloseCopy = 178;
inline constexpr int ChooseMode = 180;
inline constexpr int CloseSession = 360;
inline constexpr int DefaultPointer = 362;

// A new table.
inline constexpr int TableName = 182;
inline constexpr int CheckEmptyName = 184;
inline constexpr int FirstLineHandling = 186;
inline constexpr int ReadHeader = 188;
inline constexpr int HeaderColumns = 190;
inline constexpr int HeaderColumnYield = 194;
inline constexpr int HeaderColumnName = 198;
inline constexpr int HeaderCreateText = 202;
inline constexpr int HeaderCreateBuilt = 204;
inline constexpr int HeaderCreateTable = 208;
inline constexpr int HeaderTableListed = 246;
inline constexpr int PromptsBegin = 248;
inline constexpr int CountHeaderFields = 250;
inline constexpr int PromptColumns = 252;
inline constexpr int PromptColumnName = 256;
inline constexpr int AnswerColumnName = 258;
inline constexpr int PromptsCreateText = 266;
inline constexpr int PromptsCreateBuilt = 268;
inline constexpr int PromptsCreateTable = 270;
inline constexpr int PromptsTableListed = 306;
inline constexpr int TableExists = 308;

// Appending to an existing table.
inline constexpr int AppendBegins = 310;
inline constexpr int TableColumns = 312;
inline constexpr int OpenForCount = 314;
inline constexpr int ReadFirstRecord = 316;
inline constexpr int CountFields = 318;
inline constexpr int CompareColumns = 322;
inline constexpr int ColumnsDiffer = 358;

// The numbered lines of a row loop.
struct RowLines
{
    int open, loop, yield, read, split, head, cut, execute, close;
};
inline constexpr RowLines HeaderNamedRows{210, 212, 214, 216, 218, 220, 232, 240, 244};
inline constexpr RowLines PromptNamedRows{272, 274, 276, 278, 280, 282, 294, 300, 304};
inline constexpr RowLines AppendedRows{324, 326, 328, 330, 332, 334, 346, 352, 356};
} // namespace RunLine
