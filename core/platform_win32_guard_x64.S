# void Plat_GuardedTrampoline(void (*pfn)(void*), void* pArg, GuardFrame* pFrame)
#
# Calls pfn(pArg) in a frame whose unwind data names Plat_GuardedFrameHandler
# (platform_win32.cpp) as its exception and unwind handler, so that the
# handler sees every structured exception that leaves pfn. pFrame is kept at
# 48(%rsp), where the handler finds it from the establisher frame.
    .text
    .globl Plat_GuardedTrampoline
    .def Plat_GuardedTrampoline; .scl 2; .type 32; .endef
    .seh_proc Plat_GuardedTrampoline
Plat_GuardedTrampoline:
    subq $56, %rsp
    .seh_stackalloc 56
    .seh_endprologue
    .seh_handler Plat_GuardedFrameHandler, @except, @unwind
    movq %r8, 48(%rsp)
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    nop
    addq $56, %rsp
    ret
    .seh_endproc
