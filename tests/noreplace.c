/*
 * noreplace: run a program on which renameat2 with any flag fails with
 * EINVAL, as it does on NFS and other file systems that have no
 * RENAME_NOREPLACE, so that the tests can reach the renamer's other way of
 * never replacing a file. A seccomp filter does it, inherited by every child
 * and kept across exec; a plain renameat2, and every other call, pass.
 *
 * usage: noreplace program [argument...]
 */
#define _GNU_SOURCE
#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

/* Call numbers differ between architectures: only calls of this build's own
 * are judged, and any other passes. */
#if defined(__x86_64__)
#define OWN_ARCH AUDIT_ARCH_X86_64
#elif defined(__i386__)
#define OWN_ARCH AUDIT_ARCH_I386
#elif defined(__aarch64__)
#define OWN_ARCH AUDIT_ARCH_AARCH64
#elif defined(__arm__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define OWN_ARCH AUDIT_ARCH_ARM
#elif defined(__powerpc64__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define OWN_ARCH AUDIT_ARCH_PPC64LE
#elif defined(__powerpc64__)
#define OWN_ARCH AUDIT_ARCH_PPC64
#elif defined(__s390x__)
#define OWN_ARCH AUDIT_ARCH_S390X
#elif defined(__riscv) && __riscv_xlen == 64
#define OWN_ARCH AUDIT_ARCH_RISCV64
#else
#error "noreplace knows no audit architecture for this machine"
#endif

/* renameat2's fifth argument, the flags: an unsigned int, so only the low
 * half of its 64-bit slot counts. */
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define FLAGS_LOW offsetof(struct seccomp_data, args[4])
#else
#define FLAGS_LOW (offsetof(struct seccomp_data, args[4]) + 4)
#endif

/* Each jump skips as many instructions as it says: every miss lands on the
 * ALLOW. */
static int refuseRenameFlags(void)
{
	struct sock_filter code[] = {
	    BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),
	    BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, OWN_ARCH, 0, 4),
	    BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
	    BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_renameat2, 0, 2),
	    BPF_STMT(BPF_LD | BPF_W | BPF_ABS, FLAGS_LOW),
	    BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0, 0, 1),
	    BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
	    BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EINVAL & SECCOMP_RET_DATA)),
	};
	struct sock_fprog program = {
	    .len = sizeof code / sizeof code[0],
	    .filter = code,
	};

	if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
		return -1;
	return prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program);
}

int main(int argc, char **argv)
{
	if (argc < 2) {
		fprintf(stderr, "usage: noreplace program [argument...]\n");
		return 1;
	}
	if (refuseRenameFlags() != 0) {
		fprintf(stderr, "noreplace: seccomp filter: %s\n", strerror(errno));
		return 1;
	}
	execvp(argv[1], argv + 1);
	fprintf(stderr, "noreplace: %s: %s\n", argv[1], strerror(errno));
	return 127;
}
