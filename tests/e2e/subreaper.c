/* Runs a program in a process group of its own, as the child of a child
 * subreaper, and logs how every process of its tree ended: the program
 * restarts itself by starting a new instance and ending, and that instance is
 * not a child of the shell that started the first one, so only a subreaper
 * learns whether it crashed.
 *
 *   subreaper <log-file> <program> [arguments...]
 *
 * Prints the program's process group id on stdout, then appends one line per
 * ended process to the log file: "<pid> <command> exit <code>" or
 * "<pid> <command> signal <number>". Ends when the last process of the tree
 * has ended. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

static void CommandOf(pid_t pid, char* out, size_t size) {
  char path[64];
  snprintf(path, sizeof path, "/proc/%d/comm", (int)pid);
  out[0] = '\0';
  FILE* file = fopen(path, "r");
  if (file == NULL) {
    snprintf(out, size, "?");
    return;
  }
  if (fgets(out, (int)size, file) == NULL) snprintf(out, size, "?");
  fclose(file);
  out[strcspn(out, "\n")] = '\0';
  for (char* c = out; *c != '\0'; ++c) {
    if (*c == ' ') *c = '_';
  }
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s <log-file> <program> [arguments...]\n", argv[0]);
    return 2;
  }
  int log = open(argv[1], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (log < 0 || prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) {
    perror("subreaper");
    return 2;
  }
  pid_t child = fork();
  if (child < 0) return 2;
  if (child == 0) {
    setpgid(0, 0);
    execvp(argv[2], argv + 2);
    _exit(127);
  }
  setpgid(child, child);
  printf("%d\n", (int)child);
  fflush(stdout);

  for (;;) {
    siginfo_t info;
    memset(&info, 0, sizeof info);
    /* Look at the ended process before reaping it, while /proc still has it. */
    if (waitid(P_ALL, 0, &info, WEXITED | WNOWAIT) != 0) {
      if (errno == EINTR) continue;
      break; /* ECHILD: the whole tree has ended */
    }
    char command[64];
    CommandOf(info.si_pid, command, sizeof command);
    int status = 0;
    waitpid(info.si_pid, &status, 0);
    char line[160];
    int length;
    if (WIFSIGNALED(status)) {
      length = snprintf(line, sizeof line, "%d %s signal %d\n", (int)info.si_pid, command,
                        WTERMSIG(status));
    } else {
      length = snprintf(line, sizeof line, "%d %s exit %d\n", (int)info.si_pid, command,
                        WEXITSTATUS(status));
    }
    if (write(log, line, (size_t)length) != length) return 2;
  }
  return 0;
}
