// One run of the hidden plink process: its three standard-stream files with
// their names, and the process with its thread and its kill-on-close job.
#pragma once

#include "framework/File.h"
#include "framework/Handles.h"

#include <string>

// A fresh GUID as the process files' name part (Data3 in lower case).
std::wstring MakeGuidString();

// plink.exe beside Corvane.exe: the tunnel never runs a plink found in the
// current folder or on the PATH.
std::wstring TunnelProgramPath();

enum class TunnelStart {
    Started,
    NotStarted,    // the process could not be created
    NotContained,  // it could not be put into a job, so it was ended unrun
};

class CTunnelProcess {
public:
    enum class FileStep {
        Opened,
        ErrorFile,   // the error file could not be created (the exception says why)
        OutputFile,  // the output file could not be created (the exception says why)
        InputFile,   // the input file could not be created and filled
        InputOpen,   // the input file could not be opened for reading (the exception says why)
    };

    // A fresh GUID names the files of the next run in `folder`.
    void NameFiles(const std::wstring& folder);
    // Creates the error and the output file, creates the input file with
    // plink's input and opens it for reading, in that order. On a failure the
    // files opened so far are closed again.
    FileStep OpenFiles(CFileException& error);
    void CloseFiles();

    // Starts `program` hidden with the three open files as its standard
    // streams, the only handles it inherits. It is created suspended and
    // resumed only once it is in a job that ends it if Corvane ends first, so
    // not one instruction of it runs outside the job.
    TunnelStart Start(const std::wstring& program, const std::wstring& commandLine);
    // Whether the process started and has not ended yet.
    bool Alive() const;
    // Terminates the process, waits a bounded time for its end (so its files
    // can be deleted), and closes its handles, its job and its files.
    void End();

    bool Started() const { return static_cast<bool>(m_process); }
    HANDLE ProcessHandle() const { return m_process.Get(); }
    DWORD ProcessId() const { return m_processId; }
    HANDLE Job() const { return m_job.Get(); }
    bool FilesOpen() const { return m_filesOpen; }
    bool ErrorFileOpen() const { return m_err.IsOpen(); }
    const std::wstring& Guid() const { return m_guid; }
    const std::wstring& InPath() const { return m_inPath; }
    const std::wstring& OutPath() const { return m_outPath; }
    const std::wstring& ErrPath() const { return m_errPath; }

private:
    std::wstring m_guid;
    std::wstring m_inPath;
    std::wstring m_outPath;
    std::wstring m_errPath;
    CFile m_in;
    CFile m_out;
    CFile m_err;
    bool m_filesOpen = false;
    UniqueHandle m_job;
    UniqueHandle m_process;
    UniqueHandle m_thread;
    DWORD m_processId = 0;
};
