// uint64_t CallMeasured(void* fn, int argc, const uint32_t* args, int32_t* drift)
// Pushes argc 32-bit arguments (args[0] last, so it is the first argument),
// calls fn, removes the arguments as a cdecl caller does, and stores in
// *drift how far ESP then is from where it was before the pushes.
    .text
    .globl _CallMeasured
_CallMeasured:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 12(%ebp), %ecx        // argc
    movl 16(%ebp), %esi        // args
    movl %esp, %edi            // ESP before the arguments
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:  movl $0xDEADBEEF, %edx    // a 64-bit result must set EDX itself
    call *8(%ebp)
    movl 12(%ebp), %ecx
    leal (%esp,%ecx,4), %ecx   // ESP after removing the arguments
    subl %edi, %ecx
    movl 20(%ebp), %ebx
    movl %ecx, (%ebx)
    movl %edi, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
